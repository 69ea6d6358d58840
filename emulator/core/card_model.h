// The interface every card model of the virtual reader implements, one subclass per card family
// (emulator/cards/<family>_card.cpp), registered in the catalog (catalog.cpp).
//
// The reader hands a model every frame whose card type byte (frame byte 4) is not 0x80 and that
// addresses the slot the card sits in. It carries out the slot's own commands itself (reset of a
// processor slot: it asks answer_to_reset(); card speed; SAM selection) and powers the card when
// the host switches the contacts or when a frame reaches an unpowered card. A model:
//   - answers the frames of its own family (accepts(card type byte) true) in handle();
//   - reacts to the frames of other families in handle_foreign(), as the real chip would on the
//     wrong protocol: the default answers reads with 0xFF bytes and does nothing for the rest, so
//     the host's card checks can tell a mismatched card;
//   - keeps its whole persistent image (memories, codes, counters, fuses) as one byte string for
//     contents() / load_contents(), and calls mark_changed() whenever the image changes, so the
//     program can write it back to its file;
//   - may await a data frame that is not led by 0xAA after an announce frame (awaited_raw_frame(),
//     handle_raw_frame());
//   - may offer settings of its own (set_setting()), such as a status byte to show.
// Refusals use the status bytes of emulator/core/reader_status.h.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "emulator/core/bytes.h"
#include "emulator/core/command_frame.h"
#include "emulator/core/reader_status.h"

namespace vreader {

// True when count >= 1 units from start lie within the first size units: the range check of every
// card model's reads and writes.
constexpr bool fits(size_t start, size_t count, size_t size) {
    return count >= 1 && start < size && count <= size - start;
}

// One card frame, with accessors named after the usual body layout: frame bytes 5..6, 7..8
// (address), 9..10 (count), data from byte 9 (writes) or 11.
class CardCommand {
public:
    explicit CardCommand(const CommandFrame& frame) : command_(frame.command()), body_(frame.body()) {}
    CardCommand(uint8_t command, std::span<const uint8_t> body) : command_(command), body_(body) {}

    uint8_t command() const { return command_; }             // frame byte 1
    uint8_t card_type() const { return byte(4); }            // frame byte 4
    std::span<const uint8_t> body() const { return body_; }  // frame bytes 4 .. before the BCC
    // Frame byte i (4 is the card type byte); 0 beyond the body.
    uint8_t byte(size_t frame_index) const;
    uint16_t word(size_t frame_index) const;  // big-endian frame bytes i, i+1
    uint16_t bytes_5_6() const { return word(5); }
    uint16_t address() const { return word(7); }
    uint16_t count() const { return word(9); }
    // Frame bytes from index i to the end of the body (empty when the body is shorter).
    std::span<const uint8_t> from(size_t frame_index) const;
    std::span<const uint8_t> write_data() const { return from(9); }

    // A counted frame (reads) carries its count: card type, bytes 5..6, address and count.
    static constexpr size_t counted_body = 7;
    bool has_count() const { return body_.size() >= counted_body; }
    // A counted frame whose address and count lie within size units.
    bool reads_within(size_t size) const { return has_count() && fits(address(), count(), size); }
    // A counted frame asking for 1..most units from anywhere.
    bool count_within(size_t most) const { return has_count() && fits(0, count(), most); }
    // A write whose data lies within size units from its address.
    bool writes_within(size_t size) const { return fits(address(), write_data().size(), size); }

private:
    uint8_t command_;
    std::span<const uint8_t> body_;
};

struct CardReply {
    uint8_t status = status::ok;
    Bytes data;
    uint32_t busy_ms = 0;  // the card's own working time: the reply goes out this much later

    static CardReply ok(Bytes data = {}) { return {status::ok, std::move(data)}; }
    static CardReply refuse(uint8_t status_byte) { return {status_byte, {}}; }
};

class CardModel {
public:
    virtual ~CardModel() = default;

    // The catalog name ("sle4442", "blank", ...).
    virtual std::string_view family() const = 0;
    // True for the card type bytes of the model's own family.
    virtual bool accepts(uint8_t card_type) const = 0;
    virtual CardReply handle(const CardCommand& command) = 0;
    // A frame of another family: reads give 0xFF bytes, everything else succeeds doing nothing;
    // processor-slot frames (0x20..0x25) get card_mute.
    virtual CardReply handle_foreign(const CardCommand& command);

    // Contacts on and off. Power loss forgets what a card forgets (presented codes and the like).
    virtual void power_on() {}
    virtual void power_off() {}
    // Bytes the card answers a reset with; empty: it does not answer (the reader reports card_mute).
    virtual Bytes answer_to_reset() { return {}; }
    // The card-present query's state byte while this card is in the main slot (bits 0..3 are
    // per-position presence bits).
    virtual uint8_t presence_state() const { return 0x01; }

    virtual std::optional<RawFrameSpec> awaited_raw_frame() const { return std::nullopt; }
    // frame: the whole raw frame, lead and BCC included (the reader checked its XOR).
    virtual CardReply handle_raw_frame(std::span<const uint8_t> frame);

    // A setting of the model's own, by name (the control channel's "card-set NAME VALUE"); false
    // for a name the model does not have or a value it cannot take.
    virtual bool set_setting(std::string_view, uint32_t) { return false; }

    // The persistent image, as stored in a contents file.
    virtual Bytes contents() const = 0;
    // False (and nothing changed) when the image does not fit the card.
    virtual bool load_contents(std::span<const uint8_t> image) = 0;
    // True when an image shorter than contents() is taken too (it fills the card from byte 0).
    virtual bool takes_shorter_image() const { return false; }

    // Increases whenever the image changed since the card was made.
    uint64_t revision() const { return revision_; }

protected:
    void mark_changed() { ++revision_; }

private:
    uint64_t revision_ = 0;
};

// One catalog entry for a model that serves several kinds (sizes, variants): the model bound to
// one kind, e.g. CardOf<I2cEepromCard, eeprom_24c02>.
template <class Model, const auto& Kind>
struct CardOf final : Model {
    CardOf() : Model(Kind) {}
};

// A model whose family name and card type byte are fields of its layout row.
template <class Layout>
class CardWithLayout : public CardModel {
public:
    explicit CardWithLayout(const Layout& layout) : layout_(layout) {}

    std::string_view family() const override { return layout_.family; }
    bool accepts(uint8_t type) const override { return type == layout_.card_type; }

protected:
    const Layout& layout_;
};

// The reply of a chip that does not speak the protocol of the frame (the default of
// handle_foreign, usable by models that override it for a few commands only).
CardReply foreign_reply(const CardCommand& command);

}  // namespace vreader

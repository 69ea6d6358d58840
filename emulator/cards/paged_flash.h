// What the virtual flash cards (AT45D041, SSF1101) share: a memory of equal pages, erased to 0xFF
// when the card is made; a status byte that the card's status command answers; and a busy spell,
// during which every frame is answered with status byte 0x94 and not carried out.
// Settings (control channel "card-set NAME VALUE"): "status B" the status byte, "busy N" the next
// N frames find the card busy.
// Contents file: the memory, page after page, up to the card's size (a shorter file fills it from
// byte 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "emulator/core/card_model.h"

namespace vreader {

// What tells the flash cards apart.
struct FlashKind {
    std::string_view family;
    uint8_t card_type;
    size_t pages;
    size_t page_size;
    uint8_t status;  // the status byte as the card is made
};

class PagedFlash : public CardModel {
public:
    explicit PagedFlash(const FlashKind& kind)
        : kind_(kind), memory_(kind.pages * kind.page_size, 0xFF), status_(kind.status) {}

    std::string_view family() const override { return kind_.family; }
    bool accepts(uint8_t card_type) const override { return card_type == kind_.card_type; }
    bool set_setting(std::string_view name, uint32_t value) override;
    Bytes contents() const override { return memory_; }
    bool load_contents(std::span<const uint8_t> image) override;

protected:
    static constexpr size_t frame_with_count = 7;  // card type, page, offset, count

    // The read frame: count bytes (1 or more) from the frame's page and offset, within the page.
    CardReply read_frame(const CardCommand& c) const;
    // The page exists and [offset, offset + count) lies within it.
    bool within_page(size_t page, size_t offset, size_t count) const;
    Bytes read(size_t page, size_t offset, size_t count) const;
    // Programs the bytes into the page; the rest of the page keeps what it held.
    void program(size_t page, size_t offset, std::span<const uint8_t> data);
    void erase_all();
    uint8_t status_byte() const { return status_; }
    // True while the busy spell lasts; each call uses up one frame of it.
    bool busy();

private:
    const FlashKind& kind_;
    Bytes memory_;
    uint8_t status_;
    uint32_t busy_frames_ = 0;
};

}  // namespace vreader

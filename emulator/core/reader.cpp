#include "emulator/core/reader.h"

#include <algorithm>
#include <array>

namespace vreader {

namespace {

inline constexpr uint8_t first_slot_byte = 0x20;
inline constexpr uint8_t current_sam_byte = 0x21;
inline constexpr uint8_t last_slot_byte = 0x25;

namespace slot_cmd {
inline constexpr uint8_t reset = 0x20;
inline constexpr uint8_t speed = 0x22;
inline constexpr uint8_t select_sam = 0x23;
}  // namespace slot_cmd

// Body lengths below these leave a reader command without its fields.
inline constexpr size_t plain_body = 5;   // 80 00 00 AH AL
inline constexpr size_t count_body = 7;   // ... 00 N (count in frame bytes 9..10)
inline constexpr size_t value_body = 6;   // ... X (frame byte 9)

struct ReaderCommandRow {
    uint8_t command;
    size_t min_body;
    CardReply (Reader::*run)(const CardCommand&);
};

bool slot_byte(uint8_t type) { return type >= first_slot_byte && type <= last_slot_byte; }

// A T=1 block for a processor card in a slot.
bool block_frame(const CommandFrame& frame) {
    return !frame.raw && frame.command() == 0x21 && slot_byte(frame.card_type());
}

// S(WTX request) with multiplier 1, NAD 00: 00 C3 01 01 LRC.
const Bytes wtx_request_block{0x00, 0xC3, 0x01, 0x01, 0xC3};

}  // namespace

std::optional<EmptyAnswer> empty_answer_by_name(std::string_view name) {
    if (name == "zero" || name == "0") return EmptyAnswer::zero;
    if (name == "86" || name == "0x86") return EmptyAnswer::status_86;
    if (name == "89" || name == "0x89") return EmptyAnswer::status_89;
    return std::nullopt;
}

Bytes reply_frame(uint8_t status_byte, const Bytes& data) {
    Bytes frame{reply_lead, status_byte, static_cast<uint8_t>(data.size() >> 8), static_cast<uint8_t>(data.size())};
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(xor_of(frame));
    return frame;
}

Reader::Reader() : active_link_(memory_.link_byte()) {}

WireReply Reader::exchange(const CommandFrame& frame) {
    ++frames_received_;
    log_.host(frame.bytes);
    const std::optional<Fault> fault = faults_.next_frame();
    if (fault && fault->kind == FaultKind::never) {
        log_.note("no reader attached (fault plan): frame ignored");
        return {};
    }
    CardReply reply;
    if (fault && fault->kind == FaultKind::status) {
        reply = CardReply::refuse(static_cast<uint8_t>(fault->value));
        log_.note("refused by the fault plan, not carried out");
    } else if (fault && fault->kind == FaultKind::answer) {
        reply = CardReply::ok(fault->data);
        log_.note("answered by the fault plan, not carried out");
    } else if (fault && fault->kind == FaultKind::wtx && block_frame(frame)) {
        reply = CardReply::ok(wtx_request_block);
        log_.note("answered with S(WTX request) by the fault plan, not carried out");
    } else {
        reply = carry_out(frame);
    }
    // A reply frame's length field holds at most 0xFFFF data bytes.
    if (reply.data.size() > 0xFFFF) reply.data.resize(0xFFFF);
    WireReply wire = shape_reply(reply_frame(reply.status, reply.data), fault);
    wire.delay_ms += reply.busy_ms;  // a planned delay comes on top of the card's own time
    if (fault && fault->kind != FaultKind::status && fault->kind != FaultKind::answer && fault->kind != FaultKind::wtx) log_.note("reply shaped by the fault plan: " + fault->describe());
    if (wire.delay_ms) log_.note("reply delayed by " + std::to_string(wire.delay_ms) + " ms");
    if (wire.byte_interval_ms) log_.note("reply dripping: one byte every " + std::to_string(wire.byte_interval_ms) + " ms");
    if (wire.bytes.empty()) log_.note("no reply");
    else log_.reader(wire.bytes);
    return wire;
}

CardReply Reader::carry_out(const CommandFrame& frame) {
    if (!frame.check_ok()) return CardReply::refuse(status::bad_bcc);
    if (frame.raw) {
        Slot& main = slots_[0];
        if (!main.card) return CardReply::refuse(status::no_card);
        return main.card->handle_raw_frame(frame.bytes);
    }
    if (!frame.has_card_type()) return CardReply::refuse(status::bad_parameter);
    if (frame.card_type() == reader_target) return reader_command(frame);
    if (slot_byte(frame.card_type())) return slot_command(frame);
    return card_command(0, frame);
}

CardReply Reader::reader_command(const CommandFrame& frame) {
    static constexpr std::array<ReaderCommandRow, 10> table{{
        {0xB0, count_body, &Reader::version_text},
        {0xB1, value_body, &Reader::link_byte},
        {0xB2, 1, &Reader::contacts},
        {0xB3, 1, &Reader::contacts},
        {0xB4, count_body, &Reader::buzzer},
        {0xB5, plain_body, &Reader::compare},
        {0xB6, plain_body, &Reader::write},
        {0xB7, count_body, &Reader::read},
        {0xB8, 1, &Reader::pull},
        {0xB9, 1, &Reader::card_state},
    }};
    const CardCommand c(frame);
    for (const auto& row : table) {
        if (row.command != c.command()) continue;
        if (c.body().size() < row.min_body) return CardReply::refuse(status::bad_parameter);
        return (this->*row.run)(c);
    }
    return CardReply::refuse(status::unknown_command);
}

CardReply Reader::version_text(const CardCommand& c) {
    const size_t n = std::min<size_t>(c.count(), version_.size());
    return CardReply::ok(Bytes(version_.begin(), version_.begin() + static_cast<std::ptrdiff_t>(n)));
}

// The new link byte keeps the old baud code unless its low nibble is a baud code (1..9), and the
// old parallel mode unless its high nibble is a mode (0x0 or 0xF): the parallel mode command
// writes 0xF0 or 0x0F, which names only the mode.
CardReply Reader::link_byte(const CardCommand& c) {
    const uint8_t x = c.byte(9);
    const uint8_t old = memory_.link_byte();
    const uint8_t low = baud_of_code(x & 0x0F) ? (x & 0x0F) : (old & 0x0F);
    const uint8_t high = ((x & 0xF0) == 0x00 || (x & 0xF0) == 0xF0) ? (x & 0xF0) : (old & 0xF0);
    memory_.set_link_byte(static_cast<uint8_t>(high | low));
    return CardReply::ok();
}

CardReply Reader::contacts(const CardCommand& c) {
    switch_contacts(c.command() == 0xB2);
    return CardReply::ok();
}

CardReply Reader::buzzer(const CardCommand& c) {
    beeps_.push_back(c.count());
    return CardReply::ok();
}

CardReply Reader::compare(const CardCommand& c) {
    const auto data = c.write_data();
    const auto held = memory_.read(c.address(), data.size());
    if (!held) return CardReply::refuse(status::bad_parameter);
    return std::equal(data.begin(), data.end(), held->begin()) ? CardReply::ok() : CardReply::refuse(status::mismatch);
}

CardReply Reader::write(const CardCommand& c) {
    const auto data = c.write_data();
    const uint32_t start = c.address();
    if (!ReaderMemory::in_range(start, data.size())) return CardReply::refuse(status::bad_parameter);
    if (start <= address::link_byte && start + data.size() > address::link_byte) return CardReply::refuse(status::read_only);
    memory_.write(start, data);
    return CardReply::ok();
}

CardReply Reader::read(const CardCommand& c) {
    auto bytes = memory_.read(c.address(), c.count());
    if (!bytes) return CardReply::refuse(status::bad_parameter);
    return CardReply::ok(std::move(*bytes));
}

CardReply Reader::pull(const CardCommand&) {
    ++card_pulls_;
    return CardReply::ok();
}

CardReply Reader::card_state(const CardCommand&) {
    const CardModel* main = slots_[0].card.get();
    if (main) return CardReply::ok({card_state_.value_or(main->presence_state())});
    switch (empty_answer_) {
    case EmptyAnswer::status_86:
        return CardReply::refuse(status::empty_86);
    case EmptyAnswer::status_89:
        return CardReply::refuse(status::no_card);
    case EmptyAnswer::zero:
        break;
    }
    return CardReply::ok({0x00});
}

CardReply Reader::slot_command(const CommandFrame& frame) {
    const CardCommand c(frame);
    const uint8_t type = c.card_type();
    const int slot = type == current_sam_byte ? selected_sam_ : type - first_slot_byte;
    if (c.command() == slot_cmd::select_sam && type == current_sam_byte) {
        const uint8_t sam = c.byte(9);
        if (sam < 1 || sam > sam_slots) return CardReply::refuse(status::bad_parameter);
        selected_sam_ = sam;
        return CardReply::ok();
    }
    if (c.command() == slot_cmd::speed) {
        slot_speed_[static_cast<size_t>(slot)] = c.byte(9);
        return CardReply::ok();
    }
    if (c.command() == slot_cmd::reset) {
        CardModel* card = slots_[static_cast<size_t>(slot)].card.get();
        if (!card) return CardReply::refuse(status::no_card);
        power(slot, true);
        Bytes answer = card->answer_to_reset();
        if (answer.empty()) return CardReply::refuse(status::card_mute);
        return CardReply::ok(std::move(answer));
    }
    return card_command(slot, frame);
}

CardReply Reader::card_command(int slot, const CommandFrame& frame) {
    CardModel* card = slots_[static_cast<size_t>(slot)].card.get();
    if (!card) return CardReply::refuse(status::no_card);
    power(slot, true);
    const CardCommand c(frame);
    return card->accepts(c.card_type()) ? card->handle(c) : card->handle_foreign(c);
}

void Reader::power(int slot, bool on) {
    Slot& s = slots_[static_cast<size_t>(slot)];
    if (!s.card || s.powered == on) return;
    s.powered = on;
    if (on) {
        contacts_on_ = true;
        s.card->power_on();
    } else {
        s.card->power_off();
    }
}

void Reader::switch_contacts(bool on) {
    contacts_on_ = on;
    for (int slot = 0; slot <= sam_slots; ++slot) power(slot, on);
}

uint32_t Reader::serial_baud() const { return baud_of_code(active_link_ & 0x0F).value_or(9600); }

ParallelMode Reader::parallel_mode() const { return (active_link_ & 0xF0) == 0xF0 ? ParallelMode::byte : ParallelMode::nibble; }

void Reader::set_link_byte(uint8_t value) {
    memory_.set_link_byte(value);
    active_link_ = value;
}

bool Reader::set_serial_baud(uint32_t baud) {
    const auto code = code_of_baud(baud);
    if (!code) return false;
    set_link_byte(static_cast<uint8_t>((memory_.link_byte() & 0xF0) | *code));
    return true;
}

void Reader::set_parallel_mode(ParallelMode mode) {
    set_link_byte(static_cast<uint8_t>((memory_.link_byte() & 0x0F) | (mode == ParallelMode::byte ? 0xF0 : 0x00)));
}

void Reader::insert(int slot, std::unique_ptr<CardModel> card) {
    remove(slot);
    slots_[static_cast<size_t>(slot)].card = std::move(card);
    if (contacts_on_) power(slot, true);
}

std::unique_ptr<CardModel> Reader::remove(int slot) {
    power(slot, false);
    Slot& s = slots_[static_cast<size_t>(slot)];
    s.powered = false;
    return std::move(s.card);
}

CardModel* Reader::card(int slot) const { return slots_[static_cast<size_t>(slot)].card.get(); }

std::optional<RawFrameSpec> Reader::awaited_raw_frame() const {
    const CardModel* main = slots_[0].card.get();
    return main ? main->awaited_raw_frame() : std::nullopt;
}

void Reader::set_version(std::string text) {
    if (text.size() > max_version) text.resize(max_version);
    version_ = std::move(text);
}

}  // namespace vreader

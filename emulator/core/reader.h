// The virtual reader's core: what a contact card reader does with each command frame, apart from
// the link that carries it. The front ends (pseudo-terminal, parallel-port model) cut frames out
// of their byte streams, hand them to exchange() and put the returned bytes on the wire.
//
// Reader commands (card type byte 0x80): B0 version text, B1 link byte (baud code and parallel
// mode; the reply goes out on the old link, then the link restarts), B2/B3 contacts on/off,
// B4 buzzer, B5 compare memory, B6 write memory, B7 read memory, B8 automatic card pull,
// B9 card-present query.
// Slots: the main slot (memory or processor card) and SAM slots 1..5. Card type bytes 0x20..0x25
// address slot 0..5 directly, except 0x21, which addresses the SAM last chosen with command 0x23
// (SAM 1 at power-up). Every other card type byte addresses the main slot.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator/core/card_model.h"
#include "emulator/core/command_frame.h"
#include "emulator/core/fault_plan.h"
#include "emulator/core/frame_log.h"
#include "emulator/core/reader_memory.h"

namespace vreader {

// How an empty slot answers the card-present query.
enum class EmptyAnswer {
    zero,       // status 0, card state 0
    status_86,  // status byte 0x86, no data
    status_89,  // status byte 0x89, no data
};

std::optional<EmptyAnswer> empty_answer_by_name(std::string_view name);  // "zero", "86", "89"

// Reply frame 55 status LH LL data BCC.
Bytes reply_frame(uint8_t status_byte, const Bytes& data);

class Reader {
public:
    static constexpr int sam_slots = 5;
    static constexpr size_t max_version = 64;

    Reader();

    // One frame from the host: carries it out (or not, as the fault plan says), logs both
    // directions and returns what goes on the wire.
    WireReply exchange(const CommandFrame& frame);

    // The link as it currently runs. After a B1 command the new link byte is in memory at once;
    // the link follows when the front end calls restart_link() once the reply is out.
    uint32_t serial_baud() const;
    ParallelMode parallel_mode() const;
    bool link_restart_pending() const { return active_link_ != memory_.link_byte(); }
    void restart_link() { active_link_ = memory_.link_byte(); }
    // The link byte set from outside (the command line, the control channel): takes effect at once.
    void set_link_byte(uint8_t value);
    bool set_serial_baud(uint32_t baud);
    void set_parallel_mode(ParallelMode mode);

    ReaderMemory& memory() { return memory_; }
    const ReaderMemory& memory() const { return memory_; }

    // Slot 0 is the main slot, 1..5 the SAM slots. Inserting replaces whatever was there.
    void insert(int slot, std::unique_ptr<CardModel> card);
    std::unique_ptr<CardModel> remove(int slot);
    CardModel* card(int slot = 0) const;
    int selected_sam() const { return selected_sam_; }
    uint8_t slot_speed(int slot) const { return slot_speed_[static_cast<size_t>(slot)]; }
    // The raw frame the main card awaits next, if any.
    std::optional<RawFrameSpec> awaited_raw_frame() const;

    const std::string& version() const { return version_; }
    void set_version(std::string text);  // cut to max_version
    void set_empty_answer(EmptyAnswer answer) { empty_answer_ = answer; }
    EmptyAnswer empty_answer() const { return empty_answer_; }
    // A fixed card state byte for the card-present query while a card is in (nullopt: the card's own).
    void set_card_state(std::optional<uint8_t> state) { card_state_ = state; }

    bool contacts_on() const { return contacts_on_; }
    const std::vector<uint16_t>& beeps() const { return beeps_; }  // units of 10 ms, in order
    void clear_beeps() { beeps_.clear(); }
    int card_pulls() const { return card_pulls_; }
    uint64_t frames_received() const { return frames_received_; }

    FaultPlan& faults() { return faults_; }
    FrameLog& log() { return log_; }

private:
    CardReply carry_out(const CommandFrame& frame);
    CardReply reader_command(const CommandFrame& frame);
    CardReply slot_command(const CommandFrame& frame);
    CardReply card_command(int slot, const CommandFrame& frame);

    CardReply version_text(const CardCommand& c);
    CardReply link_byte(const CardCommand& c);
    CardReply contacts(const CardCommand& c);
    CardReply buzzer(const CardCommand& c);
    CardReply compare(const CardCommand& c);
    CardReply write(const CardCommand& c);
    CardReply read(const CardCommand& c);
    CardReply pull(const CardCommand& c);
    CardReply card_state(const CardCommand& c);

    void power(int slot, bool on);
    void switch_contacts(bool on);

    struct Slot {
        std::unique_ptr<CardModel> card;
        bool powered = false;
    };

    ReaderMemory memory_;
    uint8_t active_link_;
    std::array<Slot, sam_slots + 1> slots_;
    std::array<uint8_t, sam_slots + 1> slot_speed_{};
    int selected_sam_ = 1;
    std::string version_ = "QVR-VIRTUAL1";
    EmptyAnswer empty_answer_ = EmptyAnswer::zero;
    std::optional<uint8_t> card_state_;
    bool contacts_on_ = false;
    std::vector<uint16_t> beeps_;
    int card_pulls_ = 0;
    uint64_t frames_received_ = 0;
    FaultPlan faults_;
    FrameLog log_;
};

}  // namespace vreader

#include "emulator/parallel/parallel_model.h"

#include "wire/reader_protocol.h"

namespace vreader {

namespace {

namespace control = quillet::wire::parallel_control;

// A frame whose bytes stop coming for this long is dropped, as by a real reader's byte time-out.
inline constexpr uint32_t frame_gap_ms = 500;

bool sending_value(uint8_t v) { return (v & control::input_direction) == 0; }

}  // namespace

uint8_t ParallelReaderModel::read(uint16_t address) {
    present();
    if (address == base_ + 1) return status();
    if (address == base_) return (control_ & control::input_direction) ? data_lines_ : host_data_;
    if (address == base_ + 2) return control_;
    return 0xFF;
}

void ParallelReaderModel::write(uint16_t address, uint8_t value) {
    if (address == base_) {
        host_data_ = value;
    } else if (address == base_ + 2 && value != control_) {
        control_ = value;
        control_changed(value);
    }
    present();
}

uint8_t ParallelReaderModel::status() const {
    return static_cast<uint8_t>((ready_bit_ ? status_ready : 0) | ((nibble_ & 0x0F) << 3));
}

void ParallelReaderModel::control_changed(uint8_t value) {
    if (busy_) {
        if (sending_value(value)) {
            // The trailing "send idle" of the frame's last byte changes nothing; the host going
            // back to sending after it began to receive gives the rest of the reply up.
            if (!host_receiving_) return;
            finish_reply();
        } else {
            if (value == control::nibble_ready || value == control::byte_ready) host_receiving_ = true;
            const bool nibble = reader_.parallel_mode() == ParallelMode::nibble;
            const uint8_t taken = nibble ? control::idle : control::byte_taken;
            if (!presented_ || value != taken) return;
            presented_ = false;
            ready_bit_ = false;
            if (nibble && half_ == Half::low) {
                half_ = Half::high;
                return;
            }
            half_ = Half::low;
            if (++position_ == reply_.size()) finish_reply();
            return;
        }
    }
    // Idle: ready for a byte while the host sends, silent while it waits for one.
    if (value == control::send_idle) {
        ready_bit_ = !reader_.faults().reader_absent();
    } else if (value == control::send_strobe) {
        if (!ready_bit_) return;
        ready_bit_ = false;
        frame_byte(host_data_);
    } else {
        ready_bit_ = false;
    }
}

void ParallelReaderModel::frame_byte(uint8_t byte) {
    const uint32_t now = clock_.now_ms();
    if (!assembler_.idle() && now - last_byte_ms_ > frame_gap_ms) {
        const size_t n = assembler_.abandon();
        reader_.log().note("partial frame of " + std::to_string(n) + " bytes dropped: the host stopped sending");
    }
    last_byte_ms_ = now;
    auto frame = assembler_.push(byte);
    if (const size_t skipped = assembler_.take_skipped()) reader_.log().note(std::to_string(skipped) + " bytes outside any frame skipped");
    if (!frame) return;
    WireReply wire = reader_.exchange(*frame);
    busy_ = true;
    reply_ = std::move(wire.bytes);
    due_ms_ = now + wire.delay_ms;
    position_ = 0;
    half_ = Half::low;
    presented_ = false;
    host_receiving_ = false;
    sending_ = !reply_.empty();
    if (!sending_) finish_reply();
}

void ParallelReaderModel::finish_reply() {
    busy_ = false;
    sending_ = false;
    presented_ = false;
    ready_bit_ = false;
    reply_.clear();
    position_ = 0;
    if (reader_.link_restart_pending()) {
        reader_.restart_link();
        reader_.log().note(std::string("link restarted: ") + (reader_.parallel_mode() == ParallelMode::byte ? "byte" : "nibble") + " link");
    }
    assembler_.expect_raw(reader_.awaited_raw_frame());
}

void ParallelReaderModel::present() {
    if (!sending_ || presented_) return;
    const bool nibble = reader_.parallel_mode() == ParallelMode::nibble;
    if (control_ != (nibble ? control::nibble_ready : control::byte_ready)) return;
    if (static_cast<int32_t>(clock_.now_ms() - due_ms_) < 0) return;
    const uint8_t b = reply_[position_];
    if (nibble) nibble_ = half_ == Half::low ? (b & 0x0F) : static_cast<uint8_t>(b >> 4);
    else data_lines_ = b;
    presented_ = true;
    ready_bit_ = true;
}

}  // namespace vreader

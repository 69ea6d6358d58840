// The parallel-port front end of the virtual reader: the three registers of a PC parallel port
// with the reader behind them, as a quillet::PortIo that the library's nibble and byte links
// (handles 6666 and 8888) run against in-process. No thread: every register access advances the
// reader's side of the handshake.
//
// Registers: data at base, status at base + 1, control at base + 2. The host writes the control
// register with one of six values (0x24 idle, 0x26 nibble ready, 0x27 byte ready, 0x25 byte taken,
// 0x0D send idle, 0x0F data strobe) and watches status bit 7:
//   host to reader   control 0x0D: bit 7 = 1, the reader is ready for a byte; control 0x0F: the
//                    reader takes the data register and drops bit 7 until control goes back to
//                    0x0D. After the last byte of a frame bit 7 stays 0 while the reader works.
//   reader to host   nibble link: on 0x26 the reader puts the low half of the byte on status bits
//                    3..6 and raises bit 7, on 0x24 it drops bit 7; the high half follows the
//                    same way. Byte link: on 0x27 the byte is on the data lines (the host reads
//                    the data register) and bit 7 rises; on 0x25 bit 7 drops.
// The reader answers only on the link kind of its parallel mode (high nibble of the link byte):
// a nibble request reaches a byte-mode reader as silence, and the other way round. Repeated
// writes of the same control value (the host's hardened first byte writes each value three
// times) are one event; reads change nothing, so triple reads see the same value.
// A delayed reply (fault plan) stays back until the given number of milliseconds has passed on
// the clock handed in, the same clock the host's waits run on.
#pragma once

#include <cstdint>
#include <optional>

#include "emulator/core/command_frame.h"
#include "emulator/core/reader.h"
#include "platform/clock.h"
#include "platform/port_io.h"

namespace vreader {

class ParallelReaderModel final : public quillet::PortIo {
public:
    static constexpr uint8_t status_ready = 0x80;

    ParallelReaderModel(Reader& reader, quillet::Clock& clock, uint16_t base = 0x378)
        : reader_(reader), clock_(clock), base_(base) {}

    bool acquire(uint16_t address) override { return address == base_; }
    uint8_t read(uint16_t address) override;
    void write(uint16_t address, uint8_t value) override;

    uint16_t base() const { return base_; }
    uint8_t control() const { return control_; }
    // Bytes of the current reply still to go (0: none in progress).
    size_t reply_bytes_left() const { return sending_ ? reply_.size() - position_ : 0; }

private:
    enum class Half { low, high };

    void control_changed(uint8_t value);
    void frame_byte(uint8_t byte);
    void finish_reply();
    void present();  // puts the next half or byte out when the host asks and the reply is due
    uint8_t status() const;

    Reader& reader_;
    quillet::Clock& clock_;
    uint16_t base_;
    uint8_t control_ = 0x24;
    uint8_t host_data_ = 0xFF;
    FrameAssembler assembler_;
    bool ready_bit_ = false;  // status bit 7 as the reader drives it
    bool busy_ = false;       // between a complete frame and the end of its reply

    // Reply in progress.
    bool sending_ = false;
    Bytes reply_;
    size_t position_ = 0;
    Half half_ = Half::low;
    bool presented_ = false;    // the current half or byte is out, bit 7 up
    bool host_receiving_ = false;
    uint32_t due_ms_ = 0;       // clock tick from which the reply may go out
    uint8_t nibble_ = 0;        // status bits 3..6 as shown
    uint8_t data_lines_ = 0xFF; // the reader's data lines (byte link)
    uint32_t last_byte_ms_ = 0;
};

}  // namespace vreader

// The virtual reader on a parallel port, in-process, for tests of the library's nibble link
// (handle 6666) and byte link (handle 8888).
//
//   quillet::test::ParallelReader pr;          // installs its port and clock into the library
//   pr.reader().set_parallel_mode(vreader::ParallelMode::byte);
//   pr.reader().insert(0, vreader::make_card("sle4442"));
//   const int32_t h = ic_init(888, 1);         // 888 = 0x378, the default base
//   ...
//   pr.reader().faults().add(*vreader::parse_fault("never", why));   // nothing answers
//   // the host's 800 ms and 3000 ms limits run out on the simulated clock at once
//
// The simulated clock moves 1 ms with every read of the status register (the host's polling
// loops read it once per look) and by whatever the host pauses for. While the object lives,
// the library's port I/O and clock are the simulated ones.
#pragma once

#include <cstdint>

#include "emulator/cards/catalog.h"
#include "emulator/core/reader.h"
#include "emulator/parallel/parallel_model.h"
#include "platform/clock.h"
#include "platform/port_io.h"

namespace quillet::test {

class SimulatedClock final : public quillet::Clock {
public:
    uint32_t now_ms() override { return now_; }
    void pause_ms(uint32_t ms) override { now_ += ms; }
    void advance(uint32_t ms) { now_ += ms; }

private:
    uint32_t now_ = 1000;
};

// The model's registers, with time passing on each status read.
class TickingPort final : public quillet::PortIo {
public:
    TickingPort(vreader::ParallelReaderModel& model, SimulatedClock& clock) : model_(model), clock_(clock) {}
    bool acquire(uint16_t address) override { return model_.acquire(address); }
    uint8_t read(uint16_t address) override {
        if (address == model_.base() + 1) clock_.advance(1);
        return model_.read(address);
    }
    void write(uint16_t address, uint8_t value) override { model_.write(address, value); }

private:
    vreader::ParallelReaderModel& model_;
    SimulatedClock& clock_;
};

class ParallelReader {
public:
    explicit ParallelReader(uint16_t base = 0x378) : model_(reader_, clock_, base), port_(model_, clock_) {
        quillet::install_port_io(&port_);
        quillet::install_clock(&clock_);
    }
    ~ParallelReader() {
        quillet::install_port_io(nullptr);
        quillet::install_clock(nullptr);
    }
    ParallelReader(const ParallelReader&) = delete;
    ParallelReader& operator=(const ParallelReader&) = delete;

    vreader::Reader& reader() { return reader_; }
    vreader::ParallelReaderModel& model() { return model_; }
    SimulatedClock& clock() { return clock_; }

private:
    SimulatedClock clock_;
    vreader::Reader reader_;
    vreader::ParallelReaderModel model_;
    TickingPort port_;
};

}  // namespace quillet::test

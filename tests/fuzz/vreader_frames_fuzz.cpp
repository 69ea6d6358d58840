// The virtual reader's frame assembler fed with arbitrary host bytes: every frame it gives is
// well formed in its length, the buffer of a partial frame stays bounded, and a good frame sent
// after any noise (with the partial frame dropped, as a quiet line does) comes out whole.
#include <cstddef>
#include <cstdint>

#include "emulator/core/command_frame.h"

namespace {

void require(bool holds) {
    if (!holds) __builtin_trap();
}

constexpr size_t longest_frame = 4 + vreader::FrameAssembler::max_body + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vreader::FrameAssembler assembler;
    for (size_t i = 0; i < size; ++i) {
        // A byte after 0x66 0x66 0x66 asks for a raw frame of that length next, as a card does.
        if (i >= 3 && data[i - 1] == 0x66 && data[i - 2] == 0x66 && data[i - 3] == 0x66)
            assembler.expect_raw(vreader::RawFrameSpec{0x66, static_cast<size_t>(data[i]) + 2});
        if (const auto frame = assembler.push(data[i])) {
            require(frame->bytes.size() <= longest_frame);
            require(frame->raw || frame->bytes.size() >= 5);
            (void)frame->check_ok();
            (void)frame->card_type();
        }
    }
    assembler.abandon();
    assembler.take_skipped();
    const uint8_t good[] = {0xAA, 0xB0, 0x00, 0x07, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x97};
    for (size_t i = 0; i < sizeof good; ++i) {
        const auto frame = assembler.push(good[i]);
        require(frame.has_value() == (i + 1 == sizeof good));
        if (frame) require(frame->check_ok() && frame->bytes.size() == sizeof good);
    }
    return 0;
}

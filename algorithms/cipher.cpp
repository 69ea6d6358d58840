#include "algorithms/cipher.h"

#include <cstring>

namespace quillet::cipher {

namespace {

// The three registers differ only in these numbers. On each clock every cell takes its lower
// neighbour; the input cell takes its lower neighbour XOR the input; cell 0 takes the reduced
// sum of the cell above the input cell (its new value) and the former last cell, rotated left
// by one within the width for R and S.
struct Shape {
    unsigned width;     // bits per cell
    size_t input_cell;  // the cell that receives the input
    bool rotates;       // whether the former last cell is rotated before the sum
};

constexpr Shape shape_r{5, 3, true};
constexpr Shape shape_s{7, 5, true};
constexpr Shape shape_t{5, 2, false};

template <size_t N>
void step(std::array<uint8_t, N>& cells, const Shape& shape, uint8_t input) {
    const unsigned limit = (1u << shape.width) - 1;
    const unsigned last = cells[N - 1];
    const unsigned feedback = shape.rotates ? ((last << 1) | (last >> (shape.width - 1))) & limit : last;
    for (size_t i = N - 1; i > 0; --i) cells[i] = cells[i - 1];
    cells[shape.input_cell] = static_cast<uint8_t>((cells[shape.input_cell] ^ input) & limit);
    cells[0] = reduced_sum(cells[shape.input_cell + 1], feedback, limit);
}

uint8_t output_byte(State& state) {
    const unsigned high = output_digit(state);
    return static_cast<uint8_t>((high << 4) | output_digit(state));
}

// Each half of the feeding phase: the eight bytes of one input block in pairs, each pair followed
// by one byte of input block 3 (bytes 0..3 with block 1, bytes 4..7 with block 2).
void feed_half(State& state, const Block& block, size_t block3_offset) {
    for (size_t i = 0; i < 4; ++i) {
        feed(state, block[2 * i]);
        feed(state, block[2 * i + 1]);
        feed(state, state.input3[block3_offset + i]);
    }
}

constinit State the_state{};

}  // namespace

uint8_t reduced_sum(unsigned a, unsigned b, unsigned limit) {
    unsigned sum = a + b;
    if (sum > limit) {
        sum %= limit;
        if (sum == 0) sum = limit;
    }
    return static_cast<uint8_t>(sum);
}

void clock(State& state, uint8_t in_r, uint8_t in_s, uint8_t in_t) {
    step(state.r, shape_r, in_r);
    step(state.s, shape_s, in_s);
    step(state.t, shape_t, in_t);
}

void feed(State& state, uint8_t byte) {
    const auto in_r = static_cast<uint8_t>(byte & 0x1F);
    const auto in_t = static_cast<uint8_t>((byte >> 3) & 0x1F);
    const auto in_s = static_cast<uint8_t>(((byte << 3) & 0x78) | ((byte >> 5) & 0x07));
    clock(state, in_r, in_s, in_t);
}

uint8_t output_nibble(State& state) {
    clock(state, 0, 0, 0);
    const unsigned from_r = state.r[0] ^ state.r[4];
    const unsigned from_t = state.t[0] ^ state.t[3];
    const unsigned select = state.s[0];
    return static_cast<uint8_t>(((from_r & ~select) | (from_t & select)) & 0x0F);
}

uint8_t output_digit(State& state) {
    output_nibble(state);
    return output_nibble(state);
}

void set_init(State& state, const uint8_t* block1, const uint8_t* block2, const uint8_t* block3) {
    std::memcpy(state.input1.data(), block1, state.input1.size());
    std::memcpy(state.input2.data(), block2, state.input2.size());
    std::memcpy(state.input3.data(), block3, state.input3.size());
    state.r = {};
    state.s = {};
    state.t = {};
}

void authenticate(State& state, uint8_t* out1, uint8_t* out2) {
    feed_half(state, state.input1, 0);
    feed_half(state, state.input2, 4);
    for (size_t j = 0; j < state.output1.size(); ++j) {
        state.output2[j] = output_byte(state);  // within each j the byte for out2 comes first
        state.output1[j] = output_byte(state);
    }
    std::memcpy(out1, state.output1.data(), state.output1.size());
    std::memcpy(out2, state.output2.data(), state.output2.size());
}

State& process_state() { return the_state; }

}  // namespace quillet::cipher

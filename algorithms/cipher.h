// The host side of the AT88SC153/AT88SC1608 mutual authentication: a stream generator of three
// short registers (R: 7 cells of 5 bits, S: 7 cells of 7 bits, T: 5 cells of 5 bits) clocked
// together. Input bytes are fed into the registers, output nibbles are read from them.
//
// The functions here are pure: they work on the State they are given. The one process-wide State
// that SetInit and Authenticate use is process_state() below.
#pragma once

#include <array>
#include <cstdint>

namespace quillet::cipher {

using Block = std::array<uint8_t, 8>;

struct State {
    std::array<uint8_t, 7> r{};  // 5-bit cells R0..R6
    std::array<uint8_t, 7> s{};  // 7-bit cells S0..S6; S0 also selects the output bits
    std::array<uint8_t, 5> t{};  // 5-bit cells T0..T4
    Block input1{};              // the three blocks of the last SetInit
    Block input2{};
    Block input3{};   // bytes 0..3 go with input 1, bytes 4..7 with input 2
    Block output1{};  // the last two blocks Authenticate produced
    Block output2{};
};

// Clocks spent by one authenticate(): 24 bytes fed, 16 output bytes of two digits of two nibbles.
inline constexpr int clocks_per_authentication = 24 + 16 * 2 * 2;

// The sum of two cells reduced to a register's width: above limit (31 or 127) it is taken modulo
// limit, with a remainder of 0 becoming limit. Sums up to the limit stay as they are.
uint8_t reduced_sum(unsigned a, unsigned b, unsigned limit);

// One step of all three registers with the inputs XORed into their middle cells.
void clock(State& state, uint8_t in_r, uint8_t in_s, uint8_t in_t);

// One clock that carries the bits of an input byte into the three registers.
void feed(State& state, uint8_t byte);

// One clock without input, then 4 bits picked from R (where S0 has 0s) or T (where S0 has 1s).
uint8_t output_nibble(State& state);

// Two output nibbles; the first is discarded.
uint8_t output_digit(State& state);

// Stores the three 8-byte input blocks and zeroes the registers; the output blocks stay.
void set_init(State& state, const uint8_t* block1, const uint8_t* block2, const uint8_t* block3);

// Runs 88 clocks from the registers as they are over the stored input blocks and writes 8 bytes
// to each of out1 and out2 (also kept as the state's output blocks).
void authenticate(State& state, uint8_t* out1, uint8_t* out2);

// The process-wide cipher state: one copy per loaded library, all zero at load, written only by
// the SetInit and Authenticate exports and never reset otherwise. It is not locked: one
// computation (SetInit, then Authenticate) must end before another begins, whatever thread or
// port handle it belongs to.
State& process_state();

}  // namespace quillet::cipher

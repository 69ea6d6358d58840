// The command dispatcher: carries out one instruction of an instruction file by calling the
// export its name stands for.
#pragma once

#include <cstdint>
#include <cstdio>

#include "filecmd/instruction.h"
#include "core/status.h"

namespace quillet::filecmd {

// exp_dis's own failure: an instruction that cannot be run (unknown name, a file that cannot be
// opened, read or written, too few data bytes, a number an argument cannot hold, a syntax error).
inline constexpr Status instruction_refused = static_cast<Status>(254);

// Every transfer passes through a working buffer of this size; longer ones go in pieces where the
// command allows, and are refused with bad_length elsewhere.
inline constexpr int32_t working_buffer_size = 2100;

// Runs one instruction with data_length bytes in the data file (-1: the data block was empty),
// read from the data file's current position. Returns the export's status, 0 after a read has
// been written to its output file, instruction_refused, bad_length for a count the working
// buffer cannot hold or a negative count, bad_address for a zone the command does not have.
// A read that fails removes its output file when the command made or emptied it.
Status dispatch(int32_t handle, const Instruction& instruction, int32_t data_length, std::FILE* data);

}  // namespace quillet::filecmd

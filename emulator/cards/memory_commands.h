#pragma once

#include "wire/memory_instructions.h"

// The instruction bytes that several memory card families give the same meaning; each card model
// names only the instructions that are its own.
namespace vreader {
namespace memory_command = quillet::wire::memory_instruction;
}  // namespace vreader

// exp_dis: runs the instructions of an instruction file one after another through the command
// dispatcher, until one fails.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace quillet::filecmd {

// 0 when every instruction ran with status 0 (also for a file without instructions); 254 when the
// instruction file or a scratch file cannot be opened, read or written, a brace is left open, or
// an instruction or its data block does not parse; else the status of the first instruction that
// failed, whose number (from 0) goes to *failed_index. *failed_index is set to 0 first and is
// changed only for a failed instruction; failed_index may be null.
Status run_instruction_file(int32_t handle, const char* path, int16_t* failed_index);

}  // namespace quillet::filecmd

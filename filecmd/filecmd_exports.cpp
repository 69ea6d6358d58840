// Export of instruction files.
#include "filecmd/instruction_file.h"
#include "quillet.h"
#include "core/trace.h"

QL_API int16_t QL_CALL exp_dis(int32_t handle, const char* instruction_file, int16_t* failed_index) noexcept {
    return QL_TRACED(quillet::filecmd::run_instruction_file(handle, instruction_file, failed_index), handle,
                     instruction_file, failed_index);
}

// quillet apdu in a build whose quillet.h has no processor-card exchange yet (cpu_protocol,
// sam_slt_reset, sam_slt_protocol): tools/CMakeLists.txt takes apdu_command.cpp once it has.
#include <stdexcept>

#include "tools/commands.h"

namespace quillet_tool {

namespace {

int unavailable(const Arguments&) {
    throw std::runtime_error("this build of the library has no processor-card exchange (cpu_protocol)");
}

}  // namespace

const Command& apdu_command() {
    static const Command command{"apdu", "APDU...", "send APDUs to the processor card or a SAM (not in this build)", {},
                                 unavailable};
    return command;
}

}  // namespace quillet_tool

#include "core/process_state.h"

namespace quillet {

ProcessState& process_state() {
    static ProcessState state;
    return state;
}

}  // namespace quillet

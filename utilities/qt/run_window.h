// Opens the operator window on the running QApplication and returns when it has been closed.
#pragma once

#include "../frame/program.h"

namespace quillet::ui::qt {

int run_window(const Program& program, System& system);

}  // namespace quillet::ui::qt

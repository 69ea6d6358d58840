// Runs an operator program: the application "setup" opens the window, delivers its events and returns
// when the window has been closed. Each toolkit backend defines it.
#pragma once

#include "program.h"

namespace quillet::ui {

int run(const Program& program, int argc, char** argv);

}  // namespace quillet::ui

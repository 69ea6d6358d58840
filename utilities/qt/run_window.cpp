#include "run_window.h"

#include <QApplication>

#include "register_db.h"

namespace quillet::ui::qt {

int run_window(const Program& program, System& system) {
    RegisterDb window(program, system);
    window.open();
    // Closing the only window, by the exit button or the control menu, ends the event loop.
    return QApplication::exec();
}

}  // namespace quillet::ui::qt

#include "../frame/run.h"

#include <windows.h>

#include "../frame/host_system.h"
#include "register_db.h"

namespace quillet::ui {

int run(const Program& program, int, char**) {
    HostSystem system;
    win32::RegisterDb window(program, system);
    if (!window.open()) return 1;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The tab key moves between the buttons.
        if (window.handle() != nullptr && IsDialogMessageW(window.handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace quillet::ui

// Reports the operator window and its controls, and presses its buttons, for the smoke run under Wine.
//   probe wait <ms>    wait for the window, then list it      probe list
//   probe press <id>   send BM_CLICK to the control <id>      probe gone <ms>   wait until it has closed
//   probe close        close the window by its control menu
// Lines (UTF-8):  window <left> <top> <width> <height> <title>
//                 control <id> <class> <enabled> <left> <top> <width> <height> <text>
// Exit status 0 on success, 1 when the window is not there (or, for gone, still there).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wide.h"

namespace {

using quillet::ui::os::narrow;

HWND operator_window() { return FindWindowW(L"register_db", nullptr); }

std::string text_of(HWND window) {
    std::vector<wchar_t> buffer(1024);
    const int length = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return narrow({buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0)});
}

std::string class_of(HWND window) {
    wchar_t buffer[64] = {};
    const int length = GetClassNameW(window, buffer, 64);
    return narrow({buffer, static_cast<std::size_t>(length > 0 ? length : 0)});
}

void print_rect(const char* what, const std::string& prefix, HWND window, const std::string& text) {
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("%s %s%ld %ld %ld %ld %s\n", what, prefix.c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                text.c_str());
}

BOOL CALLBACK print_control(HWND control, LPARAM) {
    const std::string prefix = std::to_string(GetDlgCtrlID(control)) + " " + class_of(control) + " " +
                               (IsWindowEnabled(control) ? "1 " : "0 ");
    print_rect("control", prefix, control, text_of(control));
    return TRUE;
}

int list() {
    HWND window = operator_window();
    if (window == nullptr) return 1;
    print_rect("window", "", window, text_of(window));
    EnumChildWindows(window, print_control, 0);
    std::fflush(stdout);
    return 0;
}

// Polls every 100 ms until `done` holds or the time is up.
template <typename Done>
bool wait_for(long milliseconds, Done done) {
    for (long waited = 0; !done(); waited += 100) {
        if (waited >= milliseconds) return false;
        Sleep(100);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in LF alone
    const std::string command = argv[1];
    const long value = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 0;
    if (command == "list") return list();
    if (command == "wait") {
        // The window is there once it is visible and painted.
        if (!wait_for(value, [] { return operator_window() != nullptr && IsWindowVisible(operator_window()); }))
            return 1;
        Sleep(500);
        return list();
    }
    if (command == "gone") return wait_for(value, [] { return operator_window() == nullptr; }) ? 0 : 1;
    if (command == "close") {
        HWND window = operator_window();
        return window != nullptr && PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    }
    if (command == "press") {
        HWND window = operator_window();
        HWND button = window != nullptr ? GetDlgItem(window, static_cast<int>(value)) : nullptr;
        if (button == nullptr) return 1;
        SendMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    return 2;
}

// Stands in for a program an operator window starts: appends "<pid> <tick> <command line>" to
// record.txt in the current directory, runs on for five seconds, then appends "end".
#include <windows.h>

#include <string>

#include "platform/wide.h"

namespace {

void append(const std::string& line) {
    HANDLE file = CreateFileW(L"record.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string whole = line + "\n";
    DWORD written = 0;
    WriteFile(file, whole.data(), static_cast<DWORD>(whole.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int main() {
    append(std::to_string(GetCurrentProcessId()) + " " + std::to_string(GetTickCount()) + " " +
           quillet::ui::os::narrow(GetCommandLineW()));
    Sleep(5000);
    append("end");
    return 0;
}

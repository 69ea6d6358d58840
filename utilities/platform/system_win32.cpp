// Windows services: the command line goes unchanged to CreateProcessW with a normal window, which
// searches for the program the way Windows does (and runs a batch file through the command processor).
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "system.h"
#include "wide.h"

namespace quillet::ui::os {
namespace {

constexpr unsigned gbk_code_page = 936;
// CreateProcessW takes command lines of up to 32767 characters, the terminating zero included.
constexpr std::size_t command_line_limit = 32767;
constexpr DWORD long_path = 32768;

}  // namespace

std::string current_directory() {
    std::vector<wchar_t> buffer(long_path);
    const DWORD length = GetCurrentDirectoryW(long_path, buffer.data());
    if (length == 0 || length >= long_path) return {};
    return narrow({buffer.data(), length});
}

std::string program_directory() {
    std::vector<wchar_t> buffer(long_path);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), long_path);
    if (length == 0 || length >= long_path) return {};
    std::wstring_view path(buffer.data(), length);
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? std::string() : narrow(path.substr(0, separator));
}

std::string join_path(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path.push_back('\\');
    path.append(name);
    return path;
}

bool has_directory_part(std::string_view name) { return name.find_first_of("\\/:") != std::string_view::npos; }

std::optional<std::string> read_file(const std::string& path, std::size_t limit) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(_wfopen(widen(path).c_str(), L"rb"), std::fclose);
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < limit) {
        const std::size_t wanted = limit - bytes.size() < sizeof chunk ? limit - bytes.size() : sizeof chunk;
        const std::size_t got = std::fread(chunk, 1, wanted, file.get());
        bytes.append(chunk, got);
        if (got < wanted) break;
    }
    return bytes;
}

std::string decode_legacy(std::string_view bytes) { return from_code_page(gbk_code_page, bytes); }

bool start_command(std::string_view command_line) {
    std::wstring line = widen(command_line);
    if (line.empty() || line.size() >= command_line_limit) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // CreateProcessW may write into the command line, so it gets its own copy.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace quillet::ui::os

#include "wide.h"

#include <windows.h>

#include <climits>

namespace quillet::ui::os {
namespace {

// The conversion functions count in int; longer texts are cut to what an int can count.
int bounded(std::size_t length) { return length > INT_MAX / 4 ? INT_MAX / 4 : static_cast<int>(length); }

std::wstring to_wide(unsigned code_page, std::string_view bytes) {
    const int length = bounded(bytes.size());
    if (length == 0) return {};
    const int needed = MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    const int written = MultiByteToWideChar(code_page, 0, bytes.data(), length, out.data(), needed);
    out.resize(static_cast<std::size_t>(written > 0 ? written : 0));
    return out;
}

}  // namespace

std::wstring widen(std::string_view utf8) { return to_wide(CP_UTF8, utf8); }

std::string narrow(std::wstring_view utf16) {
    const int length = bounded(utf16.size());
    if (length == 0) return {};
    const int needed = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    const int written = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, out.data(), needed, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(written > 0 ? written : 0));
    return out;
}

std::string from_code_page(unsigned code_page, std::string_view bytes) { return narrow(to_wide(code_page, bytes)); }

}  // namespace quillet::ui::os

// UTF-8 and the UTF-16 of the Windows wide-character functions.
#pragma once

#include <string>
#include <string_view>

namespace quillet::ui::os {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
// Text in a Windows code page as UTF-8.
std::string from_code_page(unsigned code_page, std::string_view bytes);

}  // namespace quillet::ui::os

// Values of a profile file such as vt.ini: lines "[section]" followed by lines "key=value".
//
// The rules are those of the Windows profile functions: section and key names compare without regard to
// ASCII case, blanks around names and values are dropped, a value in matching single or double quotes
// loses them, lines starting with ';' are comments, and the first occurrence wins (only the first section
// of a name is searched, and the first line of a key in it answers). A key line without '=' has no value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillet::ui {

// The value of `key` in `section` of the profile text, or nothing when the section, the key or its
// value is missing.
std::optional<std::string> find_profile_value(std::string_view text, std::string_view section, std::string_view key);

// As above with the caller's default for everything that is missing.
std::string profile_value(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view fallback);

}  // namespace quillet::ui

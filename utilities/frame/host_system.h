// The programs' System on the real operating system: profile files and program starts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "program.h"

namespace quillet::ui {

// Where a profile file is looked for: a name with a directory part as it is; a bare name in the current
// directory, then in the program's own directory (never the Windows directory). The first file that
// exists is the one read.
std::vector<std::string> profile_locations(std::string_view file);

// Profile files larger than this are read up to this size.
inline constexpr std::size_t profile_size_limit = 1 << 20;

class HostSystem final : public System {
public:
    std::string profile_string(std::string_view file, std::string_view section, std::string_view key,
                               std::string_view fallback) override;
    bool start(std::string_view command_line) override;
};

}  // namespace quillet::ui

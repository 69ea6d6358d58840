#include "host_system.h"

#include "../platform/system.h"
#include "encoding.h"
#include "profile.h"

namespace quillet::ui {

std::vector<std::string> profile_locations(std::string_view file) {
    if (os::has_directory_part(file)) return {std::string(file)};
    std::vector<std::string> paths;
    for (const std::string& directory : {os::current_directory(), os::program_directory()}) {
        if (!directory.empty()) paths.push_back(os::join_path(directory, file));
    }
    return paths;
}

std::string HostSystem::profile_string(std::string_view file, std::string_view section, std::string_view key,
                                       std::string_view fallback) {
    for (const std::string& path : profile_locations(file)) {
        if (const auto bytes = os::read_file(path, profile_size_limit)) {
            return profile_value(decode_text(*bytes, os::decode_legacy), section, key, fallback);
        }
    }
    return std::string(fallback);
}

bool HostSystem::start(std::string_view command_line) { return os::start_command(command_line); }

}  // namespace quillet::ui

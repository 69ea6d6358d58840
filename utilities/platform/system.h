// The operating system's services behind the operator programs; one source per system
// (system_posix.cpp, system_win32.cpp). Paths and texts are UTF-8.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillet::ui::os {

std::string current_directory();
std::string program_directory();  // the directory of the running program file

// The directory and the name joined with the system's separator.
std::string join_path(std::string_view directory, std::string_view name);
bool has_directory_part(std::string_view name);

// The first `limit` bytes of a file; nothing when it cannot be opened.
std::optional<std::string> read_file(const std::string& path, std::size_t limit);

// Text in the GBK code page (936) as UTF-8.
std::string decode_legacy(std::string_view bytes);

// Starts the command line as its own process with a normal window and does not wait for it.
bool start_command(std::string_view command_line);

}  // namespace quillet::ui::os

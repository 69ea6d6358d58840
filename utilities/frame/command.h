// How a command line becomes a started program where the system has no command-line starter of its
// own: the line is cut into words at blanks (no quoting), and the first word names the program.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::ui {

// The words of a command line; runs of blanks (spaces, tabs) separate words and make no empty words.
std::vector<std::string> split_words(std::string_view line);

struct SearchPlaces {
    std::string current_directory;
    std::string program_directory;
    std::string path;  // the PATH list, entries separated by ':'
};

// The file to run for a program name: an absolute name as it is; a name with a directory part in the
// current directory, then in the program's own directory; a bare name there too, then along PATH.
// The first candidate for which `runnable` holds is taken; nothing when none does.
std::optional<std::string> resolve_program(std::string_view name, const SearchPlaces& places,
                                           const std::function<bool(const std::string&)>& runnable);

}  // namespace quillet::ui

#include "command.h"

namespace quillet::ui {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string join(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (!path.empty() && path.back() != '/') path.push_back('/');
    path.append(name);
    return path;
}

}  // namespace

std::vector<std::string> split_words(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !blank(line[i])) ++i;
        if (i > start) words.emplace_back(line.substr(start, i - start));
    }
    return words;
}

std::optional<std::string> resolve_program(std::string_view name, const SearchPlaces& places,
                                           const std::function<bool(const std::string&)>& runnable) {
    if (name.empty()) return std::nullopt;
    if (name.front() == '/') {
        std::string path(name);
        return runnable(path) ? std::optional(path) : std::nullopt;
    }
    std::vector<std::string> candidates;
    for (const std::string* directory : {&places.current_directory, &places.program_directory}) {
        if (!directory->empty()) candidates.push_back(join(*directory, name));
    }
    if (name.find('/') == std::string_view::npos) {
        std::string_view list = places.path;
        while (!list.empty()) {
            const std::size_t colon = list.find(':');
            const std::string_view entry = list.substr(0, colon);
            if (!entry.empty()) candidates.push_back(join(entry, name));
            list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
        }
    }
    for (std::string& candidate : candidates) {
        if (runnable(candidate)) return std::move(candidate);
    }
    return std::nullopt;
}

}  // namespace quillet::ui

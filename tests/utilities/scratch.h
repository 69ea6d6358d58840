// A private scratch directory for one test, removed afterwards, and a scoped change of directory.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace quillet::testing {

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillet-ui-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    std::filesystem::path write(std::string_view name, std::string_view bytes, bool executable = false) const {
        const std::filesystem::path file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        if (executable) {
            std::filesystem::permissions(file, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
        }
        return file;
    }

private:
    std::filesystem::path path_;
};

class InDirectory {
public:
    explicit InDirectory(const std::filesystem::path& directory) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(directory);
    }
    ~InDirectory() { std::filesystem::current_path(previous_); }
    InDirectory(const InDirectory&) = delete;
    InDirectory& operator=(const InDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

inline std::string read_text(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace quillet::testing

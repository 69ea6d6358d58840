// A fresh temporary directory as the current directory for the life of the object, for tests of
// code that uses fixed file names there (exp_dis's scratch files). The former current directory
// comes back and the temporary one goes, with whatever it holds.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quillet::test {

class TemporaryWorkingDirectory {
public:
    TemporaryWorkingDirectory() : before_(std::filesystem::current_path()) {
        const std::filesystem::path base = std::filesystem::temp_directory_path() / "quillet-cwd-XXXXXX";
        std::string name = base.string();
        if (mkdtemp(name.data()) != nullptr) {
            path_ = name;
            std::filesystem::current_path(path_);
        }
    }
    ~TemporaryWorkingDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(before_, ignored);
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TemporaryWorkingDirectory(const TemporaryWorkingDirectory&) = delete;
    TemporaryWorkingDirectory& operator=(const TemporaryWorkingDirectory&) = delete;

    bool ready() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path before_;
    std::filesystem::path path_;
};

inline void write_file(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

inline void write_file(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> file_bytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace quillet::test

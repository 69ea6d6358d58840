// The scratch files of exp_dis: fixed names in the current directory (ins.ins, the text of the
// current instruction; data.tmp, the bytes of its data block). Each is made new, so that a stale
// file or a symbolic link planted under the name is never followed into another file, and it is
// removed when the object goes, on every path out.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quillet::filecmd {

inline constexpr const char* instruction_scratch = "ins.ins";
inline constexpr const char* data_scratch = "data.tmp";

class ScratchFile {
public:
    explicit ScratchFile(const char* name);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // False when the file could not be made new.
    bool made() const { return file_ != nullptr; }
    std::FILE* file() const { return file_; }

    // Writes the bytes, pushes them to the file system and returns to the file's start.
    bool fill(std::string_view bytes);

private:
    std::string name_;
    std::FILE* file_;
};

}  // namespace quillet::filecmd

#include "filecmd/scratch_file.h"

#include "platform/new_file.h"

namespace quillet::filecmd {

ScratchFile::ScratchFile(const char* name) : name_(name), file_(create_new_file(name)) {}

ScratchFile::~ScratchFile() {
    if (file_ == nullptr) return;
    std::fclose(file_);
    remove_name(name_.c_str());
}

bool ScratchFile::fill(std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() && std::fflush(file_) == 0 &&
           std::fseek(file_, 0, SEEK_SET) == 0;
}

}  // namespace quillet::filecmd

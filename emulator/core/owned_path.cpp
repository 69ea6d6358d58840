#include "emulator/core/owned_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace vreader {

OwnedPath::OwnedPath(std::string path) {
    struct stat now{};
    if (::lstat(path.c_str(), &now) != 0) return;
    path_ = std::move(path);
    device_ = now.st_dev;
    inode_ = now.st_ino;
}

OwnedPath& OwnedPath::operator=(OwnedPath&& other) noexcept {
    if (this == &other) return *this;
    remove();
    path_ = std::exchange(other.path_, {});
    device_ = other.device_;
    inode_ = other.inode_;
    return *this;
}

void OwnedPath::remove() {
    if (path_.empty()) return;
    struct stat now{};
    if (::lstat(path_.c_str(), &now) == 0 && now.st_dev == device_ && now.st_ino == inode_) ::unlink(path_.c_str());
    path_.clear();
}

}  // namespace vreader

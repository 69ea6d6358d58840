// A name this process made in the file system (its control socket, a daemon's pid file), known by
// device and inode, so that at exit it is removed only while it is still the one made: a name
// another process has taken over since, or a file put there instead, is left alone.
#pragma once

#include <sys/types.h>

#include <string>

namespace vreader {

class OwnedPath {
public:
    OwnedPath() = default;
    // The thing now at path (a link itself, never its target); owns nothing when there is none.
    explicit OwnedPath(std::string path);
    ~OwnedPath() { remove(); }
    OwnedPath(const OwnedPath&) = delete;
    OwnedPath& operator=(const OwnedPath&) = delete;
    OwnedPath(OwnedPath&& other) noexcept { *this = std::move(other); }
    OwnedPath& operator=(OwnedPath&& other) noexcept;

    bool owns() const { return !path_.empty(); }
    // Removes the name when it still carries what was made; then owns nothing.
    void remove();

private:
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace vreader

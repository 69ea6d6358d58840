// New files on POSIX systems: O_CREAT | O_EXCL fails on any existing name, a symbolic link
// included, so the file opened is always the one just made.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/new_file.h"

namespace quillet {

bool remove_name(const char* name) { return unlink(name) == 0 || errno == ENOENT; }

std::FILE* create_new_file(const char* name) {
    if (!remove_name(name)) return nullptr;
    const int fd = open(name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "w+b");
    if (file == nullptr) {
        close(fd);
        unlink(name);
    }
    return file;
}

}  // namespace quillet

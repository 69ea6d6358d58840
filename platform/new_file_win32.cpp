// New files on Windows: _O_CREAT | _O_EXCL fails on any existing name, a symbolic link or
// junction included, so the file opened is always the one just made.
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>

#include "platform/new_file.h"

namespace quillet {

bool remove_name(const char* name) { return _unlink(name) == 0 || errno == ENOENT; }

std::FILE* create_new_file(const char* name) {
    if (!remove_name(name)) return nullptr;
    const int fd = _open(name, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, "w+b");
    if (file == nullptr) {
        _close(fd);
        _unlink(name);
    }
    return file;
}

}  // namespace quillet

#include "emulator/core/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "emulator/core/put_all.h"

namespace vreader {

namespace {

namespace fs = std::filesystem;

constexpr int max_links = 40;  // as the kernel's own limit on a chain of symbolic links

// The file a chain of symbolic links ends at (file itself when it is no link); empty and error
// for a loop or a link that cannot be read.
fs::path final_target(fs::path file, std::string& error) {
    for (int hops = 0; hops < max_links; ++hops) {
        std::error_code failure;
        if (!fs::is_symlink(fs::symlink_status(file, failure))) return file;
        const fs::path target = fs::read_symlink(file, failure);
        if (failure) {
            error = file.string() + ": " + failure.message();
            return {};
        }
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    error = file.string() + ": " + std::strerror(ELOOP);
    return {};
}

// A new temporary file in the target's directory, open for writing; -1 when none can be made.
struct Temporary {
    std::string name;
    int fd = -1;
};
Temporary make_temporary(const fs::path& target) {
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    Temporary made{(directory / ("." + target.filename().string() + ".XXXXXX")).string()};
    made.fd = ::mkostemp(made.name.data(), O_CLOEXEC);
    return made;
}

bool write_all(int fd, std::span<const uint8_t> bytes) {
    return put_all(fd, bytes.size(), no_wait,
                   [&](size_t done) { return ::write(fd, bytes.data() + done, bytes.size() - done); });
}

// The permissions the file gets: an existing file's own; for a new one, what the process's file
// mode mask leaves of rw-rw-rw- (as any file the program creates). The program is single-threaded,
// so reading the mask by setting it back at once races with nothing.
mode_t permissions_for(const fs::path& target) {
    struct stat existing{};
    if (::stat(target.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void sync_directory_of(const fs::path& target) {
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool replace_file(const std::string& file, std::span<const uint8_t> bytes, std::string& error) {
    const fs::path target = final_target(file, error);
    if (target.empty()) return false;
    Temporary temporary = make_temporary(target);
    if (temporary.fd < 0) {
        error = "cannot make a temporary file beside " + target.string() + ": " + std::strerror(errno);
        return false;
    }
    const bool written = ::fchmod(temporary.fd, permissions_for(target)) == 0 && write_all(temporary.fd, bytes) &&
                         ::fsync(temporary.fd) == 0;
    const int written_errno = errno;
    const bool closed = ::close(temporary.fd) == 0;
    if (!written || !closed || std::rename(temporary.name.c_str(), target.c_str()) != 0) {
        error = "cannot write " + target.string() + ": " + std::strerror(written && closed ? errno : written_errno);
        ::unlink(temporary.name.c_str());
        return false;
    }
    sync_directory_of(target);
    return true;
}

bool can_replace_file(const std::string& file, std::string& error) {
    const fs::path target = final_target(file, error);
    if (target.empty()) return false;
    std::error_code failure;
    if (fs::is_directory(target, failure)) {
        error = file + " is a directory";
        return false;
    }
    Temporary trial = make_temporary(target);
    if (trial.fd < 0) {
        error = "cannot write beside " + target.string() + " (a new file there is renamed over it): " + std::strerror(errno);
        return false;
    }
    ::close(trial.fd);
    ::unlink(trial.name.c_str());
    return true;
}

}  // namespace vreader

// POSIX services: the command line is cut into words and started with posix_spawn, without a shell.
#include <errno.h>
#include <iconv.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "../frame/command.h"
#include "../frame/encoding.h"
#include "system.h"

extern char** environ;

namespace quillet::ui::os {
namespace {

bool runnable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string parent_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Collects the exit status of a started program in the background, so that it leaves no zombie,
// without changing how the rest of the process handles SIGCHLD.
void reap_later(pid_t pid) {
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

struct SpawnAttributes {
    posix_spawnattr_t attributes{};
    SpawnAttributes() {
        ::posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGCHLD);
        sigaddset(&defaults, SIGPIPE);
        ::posix_spawnattr_setsigmask(&attributes, &none);
        ::posix_spawnattr_setsigdefault(&attributes, &defaults);
        // Its own session: the started program outlives the window and the terminal it was started from.
        ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
};

}  // namespace

std::string current_directory() {
    std::vector<char> buffer(PATH_MAX);
    return ::getcwd(buffer.data(), buffer.size()) != nullptr ? std::string(buffer.data()) : std::string();
}

std::string program_directory() {
    std::vector<char> buffer(PATH_MAX);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return parent_of(std::string(buffer.data(), static_cast<std::size_t>(length)));
}

std::string join_path(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (!path.empty() && path.back() != '/') path.push_back('/');
    path.append(name);
    return path;
}

bool has_directory_part(std::string_view name) { return name.find('/') != std::string_view::npos; }

std::optional<std::string> read_file(const std::string& path, std::size_t limit) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return std::nullopt;
    struct stat info {};
    if (::fstat(::fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < limit) {
        const std::size_t wanted = std::min(sizeof chunk, limit - bytes.size());
        const std::size_t got = std::fread(chunk, 1, wanted, file.get());
        bytes.append(chunk, got);
        if (got < wanted) break;
    }
    return bytes;
}

std::string decode_legacy(std::string_view bytes) {
    const iconv_t converter = ::iconv_open("UTF-8", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) return repair_utf8(bytes);
    std::string out;
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    char buffer[1024];
    while (in_left > 0) {
        char* at = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t result = ::iconv(converter, &in, &in_left, &at, &room);
        out.append(buffer, static_cast<std::size_t>(at - buffer));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // A byte that starts no GBK character (or a character cut off at the end of the file).
            append_utf8(out, 0xFFFD);
            ++in;
            --in_left;
        }
    }
    ::iconv_close(converter);
    return out;
}

bool start_command(std::string_view command_line) {
    std::vector<std::string> words = split_words(command_line);
    if (words.empty()) return false;
    const char* path_list = std::getenv("PATH");
    const SearchPlaces places{current_directory(), program_directory(), path_list != nullptr ? path_list : ""};
    const auto program = resolve_program(words.front(), places, runnable);
    if (!program) return false;

    std::vector<char*> arguments;
    for (std::string& word : words) arguments.push_back(word.data());
    arguments.push_back(nullptr);
    SpawnAttributes spawn;
    pid_t pid = 0;
    if (::posix_spawn(&pid, program->c_str(), nullptr, &spawn.attributes, arguments.data(), environ) != 0) return false;
    reap_later(pid);
    return true;
}

}  // namespace quillet::ui::os

// The control channel's socket: a Unix-domain stream socket at a path, any number of clients,
// one command per line (control_commands.h). Single-threaded: the program's event loop polls the
// descriptors this server lists and hands the results back.
#pragma once

#include <poll.h>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/core/owned_path.h"

namespace vreader {

class ControlServer {
public:
    using Handler = std::function<std::vector<std::string>(std::string_view line)>;

    // Listens at path; a socket left there by a program that no longer answers is replaced, anything
    // else there (a file, a running reader's socket) refused. nullptr and error on failure. The
    // socket file goes with the object, unless another program's has replaced it since.
    static std::unique_ptr<ControlServer> open(const std::string& path, std::string& error);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    std::vector<pollfd> poll_fds() const;
    // fds: the entries of poll_fds() after poll(), in the same order.
    void service(std::span<const pollfd> fds, const Handler& handler);

private:
    struct Client {
        int fd;
        std::string input;
    };
    ControlServer(int listener, OwnedPath path) : listener_(listener), path_(std::move(path)) {}
    void accept_clients();
    bool serve(Client& client, const Handler& handler);  // false: client gone

    int listener_;
    OwnedPath path_;
    std::vector<Client> clients_;
};

}  // namespace vreader

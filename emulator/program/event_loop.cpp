#include "emulator/program/event_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <array>
#include <memory>

#include "emulator/control/control_commands.h"
#include "emulator/control/control_server.h"
#include "emulator/serial/pty_link.h"

namespace vreader {

namespace {

int signal_pipe[2] = {-1, -1};

extern "C" void on_signal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signal_pipe[1], &byte, 1);
}

bool catch_termination() {
    if (::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action{};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

// Writes each card's image (the main card's and the SAMs') back to its file when it changed since
// the last write.
class ContentsKeeper {
public:
    ContentsKeeper(ControlContext& context, bool enabled) : context_(context), enabled_(enabled) { cards_replaced(); }

    void save_if_changed() {
        for (int slot = 0; slot <= Reader::sam_slots; ++slot) {
            const CardModel* card = context_.reader.card(slot);
            const std::string& file = file_of(slot);
            Saved& saved = saved_[static_cast<size_t>(slot)];
            if (!enabled_ || !card || file.empty()) continue;
            if (card == saved.card && card->revision() == saved.revision) continue;
            if (!save_card_contents(*card, file)) std::fprintf(stderr, "quillet-vreader: cannot write %s\n", file.c_str());
            mark_saved(slot);
        }
    }
    void save_now() {
        for (Saved& saved : saved_) saved.card = nullptr;
        save_if_changed();
    }
    // Cards put in through the control channel start as saved.
    void cards_replaced() {
        for (int slot = 0; slot <= Reader::sam_slots; ++slot)
            if (saved_[static_cast<size_t>(slot)].card != context_.reader.card(slot)) mark_saved(slot);
    }

private:
    struct Saved {
        const CardModel* card = nullptr;
        uint64_t revision = 0;
    };
    const std::string& file_of(int slot) const {
        return slot == 0 ? context_.card_file : context_.sam_files[static_cast<size_t>(slot)];
    }
    void mark_saved(int slot) {
        Saved& saved = saved_[static_cast<size_t>(slot)];
        saved.card = context_.reader.card(slot);
        saved.revision = saved.card ? saved.card->revision() : 0;
    }
    ControlContext& context_;
    bool enabled_;
    std::array<Saved, Reader::sam_slots + 1> saved_{};
};

}  // namespace

bool print_terminal(const Options& options, const std::string& terminal) {
    std::printf("QUILLET_COM%d=%s\n", options.com, terminal.c_str());
    return std::fflush(stdout) == 0;
}

int run_vreader(const Options& options, const ReadyHandler& on_ready) {
    Reader reader;
    reader.set_serial_baud(options.rate);
    reader.set_empty_answer(options.empty_state);
    if (options.version) reader.set_version(*options.version);

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> log_file(nullptr, std::fclose);
    if (options.log == "-") {
        reader.log().set_sink(stderr);
    } else if (!options.log.empty()) {
        log_file.reset(std::fopen(options.log.c_str(), "w"));
        if (!log_file) {
            std::fprintf(stderr, "quillet-vreader: cannot write the log %s\n", options.log.c_str());
            return 2;
        }
        reader.log().set_sink(log_file.get());
    }

    ControlContext context{reader, {}, false};
    if (options.card) {
        LoadedCard loaded = load_card(*options.card);
        if (!loaded.card) {
            std::fprintf(stderr, "quillet-vreader: %s\n", loaded.error.c_str());
            return 2;
        }
        reader.insert(0, std::move(loaded.card));
        context.card_file = options.card->file;
    }
    if (options.save && options.card) {
        if (std::string why; !can_save_card_contents(options.card->file, why)) {
            std::fprintf(stderr, "quillet-vreader: --save: %s\n", why.c_str());
            return 2;
        }
    }
    for (const auto& [slot, wanted] : options.sams) {
        LoadedCard loaded = load_card(wanted);
        if (!loaded.card) {
            std::fprintf(stderr, "quillet-vreader: SAM %d: %s\n", slot, loaded.error.c_str());
            return 2;
        }
        reader.insert(slot, std::move(loaded.card));
        context.sam_files[static_cast<size_t>(slot)] = wanted.file;
    }
    ContentsKeeper keeper(context, options.save);

    std::string error;
    auto link = PtyLink::open(reader, error);
    if (!link) {
        std::fprintf(stderr, "quillet-vreader: %s\n", error.c_str());
        return 1;
    }
    link->set_pacing(options.pace);
    link->set_latency(options.latency_ms);
    std::unique_ptr<ControlServer> control;
    if (!options.control.empty()) {
        control = ControlServer::open(options.control, error);
        if (!control) {
            std::fprintf(stderr, "quillet-vreader: %s\n", error.c_str());
            return 1;
        }
    }
    if (!catch_termination()) return 1;

    // Only now, with every channel ready, does the terminal's name go out.
    if (!on_ready(link->slave_path())) return 1;

    const ControlServer::Handler handler = [&](std::string_view line) {
        auto reply = run_control_command(context, line);
        keeper.cards_replaced();
        if (context.image_loaded) keeper.save_now();
        else keeper.save_if_changed();
        context.image_loaded = false;
        return reply;
    };

    while (!context.quit) {
        const auto now = PtyLink::now();
        // A link that waits for nothing is left out of the poll: a hang-up would be reported
        // whatever the events asked for, and the loop would spin on it.
        const short link_events = link->poll_events(now);
        std::vector<pollfd> fds{{signal_pipe[0], POLLIN, 0}, {link_events ? link->fd() : -1, link_events, 0}};
        const auto control_fds = control ? control->poll_fds() : std::vector<pollfd>{};
        fds.insert(fds.end(), control_fds.begin(), control_fds.end());
        const int ready = ::poll(fds.data(), fds.size(), link->timeout_ms(now));
        if (ready < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) break;
        if (link->service(fds[1].revents, PtyLink::now())) keeper.save_if_changed();
        if (control) control->service(std::span<const pollfd>(fds).subspan(2), handler);
    }
    keeper.save_now();
    return 0;
}

}  // namespace vreader

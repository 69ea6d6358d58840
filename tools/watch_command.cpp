// quillet watch: a live view of the reader and its slot until interrupted (Ctrl-C): one line when
// the reader starts or stops answering, and when a card is inserted (with its family) or removed.
#include <signal.h>
#include <time.h>

#include <array>
#include <cstdio>
#include <string>

#include "quillet.h"
#include "tools/commands.h"
#include "tools/detect.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

constexpr std::array options{
    OptionSpec{"interval", "MS", "time between two looks at the slot, 50..10000 ms (default 500)"},
};

volatile sig_atomic_t stop_requested = 0;

void request_stop(int) { stop_requested = 1; }

void on_interrupt() {
    struct sigaction action {};
    action.sa_handler = request_stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Sleeps ms in short steps, so that an interrupt ends the wait soon.
void pause_ms(long ms) {
    for (long left = ms; left > 0 && !stop_requested; left -= 50) {
        const timespec step{0, 50'000'000};
        nanosleep(&step, nullptr);
    }
}

void say(const std::string& text) {
    const time_t now = time(nullptr);
    char clock[16] = "";
    tm local{};
    if (localtime_r(&now, &local)) strftime(clock, sizeof clock, "%H:%M:%S", &local);
    std::printf("%s  %s\n", clock, text.c_str());
    std::fflush(stdout);
}

enum class Seen { unknown, no, yes };

int run_watch(const Arguments& args) {
    const long interval = args.number("interval", 500, 50, 10000);
    on_interrupt();
    ReaderSession session(args);
    const int32_t h = session.handle();
    Seen reader = Seen::unknown;
    Seen card = Seen::unknown;
    while (!stop_requested) {
        int16_t state = 0;
        const int16_t s = get_status0(h, &state);
        const bool answers = s == 0 || s == QL_READER_0x83;
        if (answers && reader != Seen::yes)
            say("reader present on " + session.device() + " at " + std::to_string(session.baud()) + " baud");
        if (!answers && reader != Seen::no) {
            say("no reader answers on " + session.device());
            card = Seen::unknown;
        }
        reader = answers ? Seen::yes : Seen::no;
        if (answers && s == 0) {
            const bool in = state != 0;
            if (in && card != Seen::yes) {
                StatusLine progress;
                const std::string family = detect_card(h, progress);
                say("card inserted: " + (family.empty() ? std::string("of no known family") : family));
            } else if (!in && card != Seen::no) {
                say(card == Seen::unknown ? "no card in the slot" : "card removed");
            }
            card = in ? Seen::yes : Seen::no;
        }
        pause_ms(interval);
    }
    return 0;
}

}  // namespace

constexpr Command watch_command{"watch", "", "show the reader and card changes as they happen, until interrupted",
                          options, run_watch};

}  // namespace quillet_tool

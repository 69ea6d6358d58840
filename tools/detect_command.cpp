// quillet detect: which card family is in the slot, or a processor card.
#include <cstdio>

#include "tools/commands.h"
#include "tools/detect.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

int run_detect(const Arguments& args) {
    ReaderSession session(args);
    std::string family;
    {
        StatusLine progress;
        family = detect_card(session.handle(), progress);
    }
    if (family.empty()) {
        std::fprintf(stderr, "quillet detect: no card family accepts the card and it does not answer to reset (or no card, or no reader)\n");
        return 1;
    }
    std::printf("%s\n", family.c_str());
    return 0;
}

}  // namespace

const Command& detect_command() {
    static const Command command{"detect", "", "tell which card family is in the slot, \"cpu\" for a processor card (can take a minute without a reader)",
                                 {}, run_detect};
    return command;
}

}  // namespace quillet_tool

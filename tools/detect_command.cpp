// quillet detect: which card family is in the slot.
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
        family = detect_card_family(session.handle(), progress);
    }
    if (family.empty()) {
        std::fprintf(stderr, "quillet detect: no card family accepts the card (or no card, or no reader)\n");
        return 1;
    }
    std::printf("%s\n", family.c_str());
    return 0;
}

}  // namespace

const Command& detect_command() {
    static const Command command{"detect", "", "tell which card family is in the slot (can take a minute without a reader)",
                                 {}, run_detect};
    return command;
}

}  // namespace quillet_tool

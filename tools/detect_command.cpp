// quillet detect: which card family is in the slot, or a processor card.
#include <array>
#include <cstdio>

#include "quillet.h"
#include "tools/commands.h"
#include "tools/detect.h"
#include "tools/json.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

constexpr std::array options{OptionSpec{"json", "", "print one JSON object: {\"family\": NAME}"}};

int run_detect(const Arguments& args) {
    ReaderSession session(args, ReaderFirst::yes);
    if (int16_t state = 1; get_status0(session.handle(), &state) == 0 && state == 0) {
        std::fprintf(stderr, "quillet detect: no card in the slot\n");
        return 1;
    }
    std::string family;
    {
        StatusLine progress;
        family = detect_card(session.handle(), progress);
    }
    if (family.empty()) {
        std::fprintf(stderr, "quillet detect: no card family accepts the card and it does not answer to reset\n");
        return 1;
    }
    if (args.has("json"))
        JsonObject().text("family", family).print();
    else
        std::printf("%s\n", family.c_str());
    return 0;
}

}  // namespace

constexpr Command detect_command{"detect", "", "tell which card family is in the slot, \"cpu\" for a processor card",
                          options, run_detect};

}  // namespace quillet_tool

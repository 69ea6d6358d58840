#include "tools/failure_text.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "quillet.h"
#include "tools/status_text.h"

namespace quillet_tool {

namespace {

// A status's meaning for the calls whose names start with one of the prefixes ("" for any call).
// The first row that matches wins, so the rows for particular calls come first.
struct Meaning {
    int status;
    std::array<std::string_view, 3> prefixes;
    std::string_view text;
};

constexpr std::array meanings{
    Meaning{-0x99, {"wsc_"}, "present the current code first (--old)"},
    Meaning{-0x99, {""}, "present the code first (--code)"},
    Meaning{-0x97, {""}, "wrong code"},
    Meaning{-0x98, {""}, "the card is locked: its error counter is used up and it takes no code any more"},
    Meaning{-0x96, {""}, "the card refuses: the bytes are protected, or kept by the card itself"},
    Meaning{-0x89, {""}, "no card in the slot"},
    Meaning{-0x86, {""}, "no card in the slot"},
    Meaning{-0x93, {"sam_", "cpu_"}, "no processor card answers in that slot (a memory card, or none?)"},
    Meaning{-0x93, {""}, "the card does not answer"},
    Meaning{-0x94, {""}, "the card is still busy programming"},
    Meaning{-0x8C, {""}, "the reader refuses the address or length for this card"},
    Meaning{-0x8B, {""}, "this card (or reader) does not have the command"},
    Meaning{QL_WRONG_CARD, {""}, "the card in the slot is not of this family (quillet detect tells which it is)"},
    Meaning{QL_TIMEOUT, {""}, "the reader does not answer (time-out)"},
};

bool matches(const Meaning& m, std::string_view call) {
    if (m.prefixes[0].empty()) return true;  // any call
    return std::any_of(m.prefixes.begin(), m.prefixes.end(),
                       [&](std::string_view p) { return !p.empty() && call.starts_with(p); });
}

std::string_view meaning_for(const std::string& call, int status) {
    for (const Meaning& m : meanings)
        if (m.status == status && matches(m, call)) return m.text;
    return {};
}

}  // namespace

std::string failure_text(const CallFailed& failure) {
    const std::string general = status_text(failure.status);
    std::string meaning = failure.detail;
    if (meaning.empty()) meaning = std::string(meaning_for(failure.call, failure.status));
    if (meaning.empty()) return failure.call + ": " + general;
    return failure.call + ": " + meaning + " (" + general + ")";
}

}  // namespace quillet_tool

// The interindustry status words of ISO/IEC 7816-4: each one the standard names, then a row for
// each SW1 group that catches the rest.
#include "tools/status_words.h"

#include <array>

namespace quillet_tool {

namespace {

struct StatusWord {
    uint16_t value;
    uint16_t mask;  // the bits that must match; 0xFF00 for "61xx" and the like
    std::string_view meaning;
};

constexpr std::array status_words{
    StatusWord{0x9000, 0xFFFF, "success"},
    StatusWord{0x6100, 0xFF00, "more response data available"},
    StatusWord{0x6200, 0xFFFF, "warning: no information given, memory unchanged"},
    StatusWord{0x6281, 0xFFFF, "warning: part of the returned data may be corrupted"},
    StatusWord{0x6282, 0xFFFF, "warning: end of file or record reached before reading Le bytes"},
    StatusWord{0x6283, 0xFFFF, "selected file deactivated"},
    StatusWord{0x6284, 0xFFFF, "warning: file control information not formatted"},
    StatusWord{0x6285, 0xFFFF, "warning: selected file in termination state"},
    StatusWord{0x6286, 0xFFFF, "warning: no input data available from a sensor on the card"},
    StatusWord{0x6200, 0xFF00, "warning: memory unchanged (triggered by the card)"},
    StatusWord{0x6300, 0xFFFF, "warning: no information given, memory changed"},
    StatusWord{0x6381, 0xFFFF, "warning: file filled up by the last write"},
    StatusWord{0x63C0, 0xFFF0, "verification failed, tries left in the low digit"},
    StatusWord{0x6300, 0xFF00, "warning: memory changed"},
    StatusWord{0x6401, 0xFFFF, "execution error: immediate response required by the card"},
    StatusWord{0x6400, 0xFF00, "execution error: memory unchanged"},
    StatusWord{0x6581, 0xFFFF, "memory failure"},
    StatusWord{0x6500, 0xFF00, "execution error: memory changed"},
    StatusWord{0x6600, 0xFF00, "security-related issue"},
    StatusWord{0x6700, 0xFF00, "wrong length"},
    StatusWord{0x6881, 0xFFFF, "logical channel not supported"},
    StatusWord{0x6882, 0xFFFF, "secure messaging not supported"},
    StatusWord{0x6883, 0xFFFF, "last command of the chain expected"},
    StatusWord{0x6884, 0xFFFF, "command chaining not supported"},
    StatusWord{0x6800, 0xFF00, "functions in the class byte not supported"},
    StatusWord{0x6981, 0xFFFF, "command incompatible with the file structure"},
    StatusWord{0x6982, 0xFFFF, "security status not satisfied"},
    StatusWord{0x6983, 0xFFFF, "authentication method blocked"},
    StatusWord{0x6984, 0xFFFF, "reference data not usable"},
    StatusWord{0x6985, 0xFFFF, "conditions of use not satisfied"},
    StatusWord{0x6986, 0xFFFF, "command not allowed (no current file)"},
    StatusWord{0x6987, 0xFFFF, "expected secure messaging data objects missing"},
    StatusWord{0x6988, 0xFFFF, "incorrect secure messaging data objects"},
    StatusWord{0x6900, 0xFF00, "command not allowed"},
    StatusWord{0x6A80, 0xFFFF, "incorrect data"},
    StatusWord{0x6A81, 0xFFFF, "function not supported"},
    StatusWord{0x6A82, 0xFFFF, "file or application not found"},
    StatusWord{0x6A83, 0xFFFF, "record not found"},
    StatusWord{0x6A84, 0xFFFF, "not enough memory space in the file"},
    StatusWord{0x6A85, 0xFFFF, "data length inconsistent with the TLV structure"},
    StatusWord{0x6A86, 0xFFFF, "incorrect P1 P2"},
    StatusWord{0x6A87, 0xFFFF, "data length inconsistent with P1 P2"},
    StatusWord{0x6A88, 0xFFFF, "referenced data not found"},
    StatusWord{0x6A89, 0xFFFF, "file already exists"},
    StatusWord{0x6A8A, 0xFFFF, "DF name already exists"},
    StatusWord{0x6A00, 0xFF00, "wrong parameters P1 P2"},
    StatusWord{0x6B00, 0xFF00, "wrong P1 P2"},
    StatusWord{0x6C00, 0xFF00, "wrong Le, the right one in SW2"},
    StatusWord{0x6D00, 0xFF00, "instruction not supported"},
    StatusWord{0x6E00, 0xFF00, "class not supported"},
    StatusWord{0x6F00, 0xFF00, "no precise diagnosis"},
    StatusWord{0x6000, 0xFF00, "not a status word (60 is a procedure byte)"},
};

}  // namespace

std::string_view status_word_meaning(uint16_t sw) {
    for (const auto& entry : status_words)
        if ((sw & entry.mask) == entry.value) return entry.meaning;
    return "not an interindustry status word";
}

}  // namespace quillet_tool

// The one table of status names in the tool. When include/quillet_status.h (quillet_status_text)
// is there, status_text can forward to it and this table goes.
#include "tools/status_text.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "quillet.h"

namespace quillet_tool {

namespace {

struct StatusName {
    int status;
    std::string_view name;
    std::string_view meaning;
};

constexpr std::array status_names{
    StatusName{QL_OK, "QL_OK", "success"},
    StatusName{QL_READ_FAILED, "QL_READ_FAILED", "a read failed or a reply was shorter than asked"},
    StatusName{QL_WRITE_FAILED, "QL_WRITE_FAILED", "a write failed or the bytes read back differ"},
    StatusName{QL_READER_0x83, "QL_READER_0x83", "reader status byte 0x83"},
    StatusName{QL_TIMEOUT, "QL_TIMEOUT", "no reply in time"},
    StatusName{QL_WRONG_CARD, "QL_WRONG_CARD", "the card is not of the family"},
    StatusName{QL_VALUE_TOO_SMALL, "QL_VALUE_TOO_SMALL", "the stored value is smaller than the amount"},
    StatusName{QL_PORT_ERROR, "QL_PORT_ERROR", "the port cannot be opened, configured or closed"},
    StatusName{QL_BAD_BCC, "QL_BAD_BCC", "the reply's checksum is wrong"},
    StatusName{QL_REPLY_TOO_LONG, "QL_REPLY_TOO_LONG", "the reply announced more data than its buffer holds"},
    StatusName{QL_NO_READER, "QL_NO_READER", "no reader answered at any rate (or a character is not hexadecimal)"},
    StatusName{QL_BAD_LEAD, "QL_BAD_LEAD", "the reply's first byte is wrong"},
    StatusName{QL_BAD_LENGTH, "QL_BAD_LENGTH", "a length or count argument is out of range"},
    StatusName{QL_BAD_ADDRESS, "QL_BAD_ADDRESS", "an address, offset or zone argument is out of range"},
    StatusName{QL_BAD_ARGUMENT, "QL_BAD_ARGUMENT", "an argument the library cannot use"},
    StatusName{QL_PORT_BUSY, "QL_PORT_BUSY", "the port is held by another program"},
    StatusName{QL_BAD_SLOT, "QL_BAD_SLOT", "a slot number outside 0..5"},
};

}  // namespace

std::string status_text(int status) {
    for (const auto& entry : status_names)
        if (entry.status == status)
            return std::string(entry.name) + " (" + std::to_string(status) + "): " + std::string(entry.meaning);
    char text[64];
    if (status < 0 && status >= -255)
        std::snprintf(text, sizeof text, "reader status byte 0x%02X (%d)", -status, status);
    else
        std::snprintf(text, sizeof text, "status %d", status);
    return text;
}

}  // namespace quillet_tool

// The tool's status messages, from the names and meanings of quillet_status.h.
#include "tools/status_text.h"

#include <cstdint>
#include <cstdio>
#include <limits>

#include "quillet_status.h"

namespace quillet_tool {

std::string status_text(int status) {
    if (status < std::numeric_limits<int16_t>::min() || status > std::numeric_limits<int16_t>::max())
        return "status " + std::to_string(status);
    const auto code = static_cast<int16_t>(status);
    if (const quillet_status_row* row = quillet_status_find(code))
        return std::string(row->name) + " (" + std::to_string(status) + "): " + row->text;
    char text[64];
    if (quillet_status_from_reader(code))
        std::snprintf(text, sizeof text, "reader status byte 0x%02X (%d)", -status, status);
    else
        std::snprintf(text, sizeof text, "status %d", status);
    return text;
}

}  // namespace quillet_tool

// Names and meanings of the library's statuses, for messages on stderr.
#pragma once

#include <string>

namespace quillet_tool {

// "QL_BAD_LENGTH (-143): a length or count argument is out of range", or for minus a reader
// status byte "reader status byte 0x97 (-151)".
std::string status_text(int status);

}  // namespace quillet_tool

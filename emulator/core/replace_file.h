// Files the virtual reader rewrites as a whole (a card's contents image): the new bytes go to a
// fresh temporary file made beside the file, pushed to the disk, then renamed over it, so that a
// reader of the file sees the old bytes or the new ones, never a part. A file that is a symbolic
// link is written where the link leads (the link stays); a name planted beside it is never
// followed, since the temporary file is made new under a name nobody can guess.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vreader {

// Writes bytes as the whole of file (created when missing, keeping its permissions when not);
// false and error on failure, which leaves the file as it was.
bool replace_file(const std::string& file, std::span<const uint8_t> bytes, std::string& error);

// Whether replace_file can work there (a temporary file made and removed again); error says why not.
bool can_replace_file(const std::string& file, std::string& error);

}  // namespace vreader

// The count of a command with an address and a count, when the instruction leaves it open.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quillet::filecmd {

// start s and count c from the instruction, data length D (-1: the data block was empty) and the
// capacity K of the area the command addresses:
//   c = 0:  as many bytes as the data block holds, or up to the end of the area when it is empty;
//   c = -1: the data block, but no further than the end of the area;
//   any other c is used unchanged.
// The result may be negative (a start beyond the capacity); the caller refuses it.
constexpr int64_t default_length(int64_t start, int64_t count, int64_t data_length, int64_t capacity) {
    const int64_t room = capacity - start;
    const int64_t data = data_length == -1 ? room : data_length;
    if (count == 0) return data != 0 ? data : room;
    if (count == -1) return std::min(room, data);
    return count;
}

static_assert(default_length(16, 0, -1, 256) == 240);    // read to the end of the area
static_assert(default_length(0, -1, 300, 256) == 256);   // the block, cut at the end of the area
static_assert(default_length(0, 0, 300, 256) == 300);    // the whole block, even past the end
static_assert(default_length(0, 7, 300, 256) == 7);      // a given count
static_assert(default_length(300, 0, -1, 256) == -44);   // a start beyond the area

}  // namespace quillet::filecmd

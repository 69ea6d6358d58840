// The data builder: the bytes of an instruction's data block, the part in braces.
//
//     { "AB", 'C', 0x44, 69, <image.bin>[16][32], (0x00, 0xFF)*4 }
//
// strings and characters as they are, numbers as one byte each, a file's bytes (from an offset,
// a length of them or all to its end), and repeat groups: "(items)*count" gives count copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::filecmd {

using Bytes = std::vector<uint8_t>;

// Stands for a data block that appends no byte; read back, it gives the data length -1.
inline constexpr std::string_view empty_data_marker = "@@@@@@@@@@";

// A data block may not grow beyond this: no card holds more, and a repeat count must not fill
// the disk or the memory.
inline constexpr size_t max_data_bytes = size_t{1} << 20;

// Where file items come from.
class DataFiles {
public:
    virtual ~DataFiles() = default;
    // Appends the bytes of the named file from offset: length of them, or all to its end when
    // length is 0. False when the file cannot be opened or positioned, ends early, or out would
    // grow beyond limit bytes.
    virtual bool append(const std::string& name, uint32_t offset, uint32_t length, Bytes& out, size_t limit) = 0;
};

// File items read from the file system, names taken relative to the current directory.
class DiskFiles final : public DataFiles {
public:
    bool append(const std::string& name, uint32_t offset, uint32_t length, Bytes& out, size_t limit) override;
};

// The data of one instruction's text: the block after its first opening brace, or the empty-data
// marker when the block appends nothing. nullopt when there is no opening brace, the text ends
// inside an item, a number or count holds a character it cannot hold, a group's ')' is not
// followed by '*' at once, a file item fails, or the data would grow beyond limit bytes.
std::optional<Bytes> build_data(std::string_view instruction_text, DataFiles& files, size_t limit = max_data_bytes);

// The data length the dispatcher receives: the byte count, or -1 for exactly the marker.
int32_t data_length(const Bytes& data);

}  // namespace quillet::filecmd

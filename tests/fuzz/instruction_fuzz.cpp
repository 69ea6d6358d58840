// The instruction parser and the data builder fed with arbitrary instruction text: no crash, no
// read or write out of bounds, and nothing beyond the record's limits or the data limit.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "filecmd/data_block.h"
#include "filecmd/instruction.h"
#include "tests/support/memory_files.h"

namespace filecmd = quillet::filecmd;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const auto record = filecmd::parse_instruction(text)) {
        if (record->name.size() > filecmd::max_name || record->file.size() > filecmd::max_file_name ||
            record->mode.size() > filecmd::max_mode)
            __builtin_trap();
        if (!record->mode.empty() && !filecmd::is_standard_open_mode(record->mode)) __builtin_trap();
    }

    // A small limit keeps repeat groups cheap; file items come from memory.
    constexpr size_t limit = 4096;
    quillet::test::MemoryFiles files;
    files.files["a"] = {1, 2, 3, 4, 5, 6, 7, 8};
    files.files["big"] = filecmd::Bytes(3000, 0xA5);
    if (const auto bytes = filecmd::build_data(text, files, limit)) {
        if (bytes->empty() || bytes->size() > limit) __builtin_trap();
        if (filecmd::data_length(*bytes) == 0) __builtin_trap();
    }
    return 0;
}

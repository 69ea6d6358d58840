// Each instruction is the text from just after the previous closing brace up to and including
// its own. Its text goes to ins.ins while the data block and the record are read from it; its
// data then go to data.tmp, which the dispatcher reads from.
#include "filecmd/instruction_file.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "filecmd/data_block.h"
#include "filecmd/dispatcher.h"
#include "filecmd/instruction.h"
#include "filecmd/scratch_file.h"

namespace quillet::filecmd {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// The number of instructions: an opening brace opens one, a closing brace while one is open
// completes it. nullopt when one is left open or the file cannot be read.
std::optional<size_t> count_instructions(std::FILE* file) {
    size_t count = 0;
    bool open = false;
    for (int c; (c = std::getc(file)) != EOF;) {
        if (c == '{') {
            open = true;
        } else if (c == '}' && open) {
            ++count;
            open = false;
        }
    }
    if (open || std::ferror(file)) return std::nullopt;
    return count;
}

// The characters up to and including the next closing brace; nullopt when the file ends first.
std::optional<std::string> next_instruction_text(std::FILE* file) {
    std::string text;
    for (int c; (c = std::getc(file)) != EOF;) {
        text.push_back(static_cast<char>(c));
        if (c == '}') return text;
    }
    return std::nullopt;
}

struct Prepared {
    Instruction record;
    Bytes data;
};

// The record and data of one instruction, read while its text stands in ins.ins.
std::optional<Prepared> prepare(const std::string& text) {
    ScratchFile instruction(instruction_scratch);
    if (!instruction.made() || !instruction.fill(text)) return std::nullopt;
    DiskFiles files;
    std::optional<Bytes> data = build_data(text, files);
    if (!data) return std::nullopt;
    std::optional<Instruction> record = parse_instruction(text);
    if (!record) return std::nullopt;
    return Prepared{std::move(*record), std::move(*data)};
}

Status run(int32_t handle, const char* path, int16_t* failed_index) {
    if (path == nullptr) return instruction_refused;
    const OpenFile file(std::fopen(path, "rb"));
    if (!file) return instruction_refused;
    const std::optional<size_t> count = count_instructions(file.get());
    if (!count || std::fseek(file.get(), 0, SEEK_SET) != 0) return instruction_refused;

    for (size_t i = 0; i < *count; ++i) {
        const std::optional<std::string> text = next_instruction_text(file.get());
        if (!text) return instruction_refused;
        const std::optional<Prepared> instruction = prepare(*text);
        if (!instruction) return instruction_refused;

        ScratchFile data(data_scratch);
        const std::string_view bytes(reinterpret_cast<const char*>(instruction->data.data()), instruction->data.size());
        if (!data.made() || !data.fill(bytes)) return instruction_refused;
        const Status s = dispatch(handle, instruction->record, data_length(instruction->data), data.file());
        if (failed(s)) {
            if (failed_index != nullptr)
                *failed_index = static_cast<int16_t>(std::min<size_t>(i, std::numeric_limits<int16_t>::max()));
            return s;
        }
    }
    return Status::ok;
}

}  // namespace

Status run_instruction_file(int32_t handle, const char* path, int16_t* failed_index) {
    if (failed_index != nullptr) *failed_index = 0;
    try {
        return run(handle, path, failed_index);
    } catch (const std::bad_alloc&) {  // an instruction text too large to hold; the scratch files are gone
        return instruction_refused;
    }
}

}  // namespace quillet::filecmd

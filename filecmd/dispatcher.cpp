#include "filecmd/dispatcher.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>

#include "filecmd/command_table.h"
#include "filecmd/default_length.h"

namespace quillet::filecmd {

namespace {

using Buffer = std::array<uint8_t, working_buffer_size>;

constexpr int64_t flash_page_size = 264;

// Where a flash transfer stands `moved` bytes after page and offset.
struct FlashPosition {
    int64_t page;
    int64_t offset;
};
constexpr FlashPosition flash_position_after(int64_t page, int64_t offset, int64_t moved) {
    const int64_t linear = page * flash_page_size + offset + moved;
    return {linear / flash_page_size, linear % flash_page_size};
}
static_assert(flash_position_after(3, 200, 2100).page == 11 && flash_position_after(3, 200, 2100).offset == 188);
static_assert(flash_position_after(0, 0, 4200).page == 15 && flash_position_after(0, 0, 4200).offset == 240);
constexpr size_t reset_fill = 48;  // cpu_reset: the answer's bytes are found before three fillers
constexpr uint8_t reset_filler = 0xEE;

// Values by argument source: #1, #2, #3 and the count L (of the whole transfer or of one piece).
using Slots = std::array<int64_t, 4>;

// How many integer arguments an export takes after the port handle.
template <typename... Params>
constexpr size_t integer_arguments(int16_t(QL_CALL*)(int32_t, Params...) noexcept) {
    return (size_t{0} + ... + size_t{std::is_integral_v<Params>});
}

// One call of an export: its integer arguments (already known to fit) and the buffers.
struct Call {
    int32_t handle;
    std::array<int32_t, 3> values;
    const uint8_t* in;
    uint8_t* out;

    int16_t at(size_t i) const { return static_cast<int16_t>(values[i]); }
    // A counter reaches the output file as its two bytes, low byte first.
    int16_t counted(int16_t status, int16_t count) const {
        out[0] = static_cast<uint8_t>(count & 0xFF);
        out[1] = static_cast<uint8_t>((count >> 8) & 0xFF);
        return status;
    }

    int16_t operator()(exports::Plain f) const { return f(handle); }
    int16_t operator()(exports::PlainShort f) const { return f(handle, at(0)); }
    int16_t operator()(exports::PlainLong f) const { return f(handle, values[0]); }
    int16_t operator()(exports::PlainTwo f) const { return f(handle, at(0), at(1)); }
    int16_t operator()(exports::PlainThree f) const { return f(handle, at(0), at(1), at(2)); }
    int16_t operator()(exports::Read f) const { return f(handle, out); }
    int16_t operator()(exports::ReadOne f) const { return f(handle, at(0), out); }
    int16_t operator()(exports::ReadTwo f) const { return f(handle, at(0), at(1), out); }
    int16_t operator()(exports::ReadThree f) const { return f(handle, at(0), at(1), at(2), out); }
    int16_t operator()(exports::WriteOne f) const { return f(handle, at(0), in); }
    int16_t operator()(exports::WriteTwo f) const { return f(handle, at(0), at(1), in); }
    int16_t operator()(exports::WriteThree f) const { return f(handle, at(0), at(1), at(2), in); }
    int16_t operator()(exports::ReadFlash f) const { return f(handle, at(0), at(1), values[2], out); }
    int16_t operator()(exports::WriteFlash f) const { return f(handle, at(0), at(1), values[2], in); }
    int16_t operator()(exports::Counter f) const {
        int16_t count = 0;
        const int16_t status = f(handle, &count);
        return counted(status, count);
    }
    int16_t operator()(exports::CounterOne f) const {
        int16_t count = 0;
        const int16_t status = f(handle, at(0), &count);
        return counted(status, count);
    }
    int16_t operator()(exports::Exchange f) const { return f(handle, at(0), in, out); }
};

// The call with the command's arguments taken from the slots; nullopt when a value does not fit
// its argument (16 bits; 32 for set_baud), which would otherwise reach the card cut short.
std::optional<Call> make_call(const Command& command, int32_t handle, const Slots& slots, const uint8_t* in,
                              uint8_t* out) {
    const size_t count = std::visit([](auto f) { return integer_arguments(f); }, command.call);
    const bool wide = std::holds_alternative<exports::PlainLong>(command.call);
    const int64_t lowest = wide ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int16_t>::min();
    const int64_t highest = wide ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int16_t>::max();
    Call call{handle, {}, in, out};
    for (size_t i = 0; i < count; ++i) {
        const int64_t value = slots[static_cast<size_t>(command.args[i])];
        if (value < lowest || value > highest) return std::nullopt;
        call.values[i] = static_cast<int32_t>(value);
    }
    return call;
}

// K of the default-length rule; nullopt for a zone the command does not have.
std::optional<int64_t> capacity_of(const Command& command, int32_t zone) {
    if (!command.zoned) return command.capacity[0];
    if (zone < 0 || zone >= static_cast<int32_t>(zone_count) || command.capacity[static_cast<size_t>(zone)] == 0)
        return std::nullopt;
    return command.capacity[static_cast<size_t>(zone)];
}

// s and c of the default-length rule.
std::pair<int64_t, int64_t> start_and_count(Extent extent, const std::array<int32_t, 4>& n) {
    switch (extent) {
        case Extent::from_n1: return {n[0], n[1]};
        case Extent::from_n2: return {n[1], n[2]};
        case Extent::whole:
        case Extent::none: break;
    }
    return {0, n[0]};
}

int64_t byte_count(ByteCount bytes, const Slots& slots) {
    switch (bytes) {
        case ByteCount::none: return 0;
        case ByteCount::length: return slots[3];
        case ByteCount::twice_length: return 2 * slots[3];
        case ByteCount::n1: return slots[0];
        case ByteCount::n2: return slots[1];
        case ByteCount::one: return 1;
        case ByteCount::two: return 2;
    }
    return 0;
}

bool read_data(std::FILE* data, uint8_t* into, int64_t count) {
    return std::fread(into, 1, static_cast<size_t>(count), data) == static_cast<size_t>(count);
}

// cpu_reset: the answer runs up to the first three fillers in a row, within the prefilled bytes.
size_t answer_length(const Buffer& buffer) {
    for (size_t at = 0; at + 3 <= reset_fill; ++at)
        if (buffer[at] == reset_filler && buffer[at + 1] == reset_filler && buffer[at + 2] == reset_filler) return at;
    return reset_fill;
}

// Whether nothing at all carries the name: no file, directory or link (a dangling one included).
// Decided from the name's status, which needs no right to read the file; a status that cannot be
// had counts as something there.
bool name_is_free(const std::string& name) {
    std::error_code error;
    return std::filesystem::symlink_status(name, error).type() == std::filesystem::file_type::not_found;
}

// A read command's output file. Unless finished, it is closed and removed when the command made
// it (mode "a" on a free name) or emptied it (mode "w"); a file that was there before, opened to
// read, update or append, keeps what it held, whoever may read it.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { discard(); }

    bool open(const std::string& name, const std::string& mode) {
        if (name.empty() || !is_standard_open_mode(mode)) return false;
        removable_ = mode[0] == 'w' || (mode[0] == 'a' && name_is_free(name));
        name_ = name;
        file_ = std::fopen(name.c_str(), mode.c_str());
        return file_ != nullptr;
    }

    bool write(const uint8_t* bytes, size_t count) { return std::fwrite(bytes, 1, count, file_) == count; }

    // Closes the file; false (and the file handled as by discard) when its last bytes cannot be written.
    bool finish() {
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!closed && removable_) std::remove(name_.c_str());
        return closed;
    }

private:
    void discard() {
        if (file_ == nullptr) return;
        std::fclose(file_);
        file_ = nullptr;
        if (removable_) std::remove(name_.c_str());
    }

    std::FILE* file_ = nullptr;
    std::string name_;
    bool removable_ = false;
};

// swr_24c64, srd_24c64 and the flash commands: pieces of at most the working buffer's size.
Status transfer_in_pieces(const Command& command, int32_t handle, const Instruction& instruction, Slots slots,
                          std::FILE* data) {
    const bool reading = command.kind == Kind::read;
    OutputFile out;
    if (reading && !out.open(instruction.file, instruction.mode)) return instruction_refused;
    const int64_t first_address = slots[0];
    const int64_t first_page = slots[0];
    const int64_t first_offset = slots[1];
    Buffer buffer{};
    for (int64_t moved = 0, remaining = slots[3]; remaining > 0; moved += working_buffer_size) {
        const int64_t piece = std::min<int64_t>(remaining, working_buffer_size);
        slots[3] = piece;
        if (moved > 0 && command.pieces == Pieces::by_page) {
            const FlashPosition at = flash_position_after(first_page, first_offset, moved);
            slots[0] = at.page;
            slots[1] = at.offset;
        } else if (moved > 0) {
            slots[0] = first_address + moved;
        }
        const std::optional<Call> call = make_call(command, handle, slots, buffer.data(), buffer.data());
        if (!call) return instruction_refused;
        if (!reading && !read_data(data, buffer.data(), piece)) return instruction_refused;
        QL_TRY(static_cast<Status>(std::visit(*call, command.call)));
        if (reading && !out.write(buffer.data(), static_cast<size_t>(piece))) return instruction_refused;
        remaining -= piece;
    }
    if (reading && !out.finish()) return instruction_refused;
    return Status::ok;
}

}  // namespace

Status dispatch(int32_t handle, const Instruction& instruction, int32_t data_length, std::FILE* data) {
    const Command* command = find_command(instruction.name);
    if (command == nullptr) return instruction_refused;

    const auto& n = instruction.numbers;
    Slots slots{n[0], n[1], n[2], 0};
    if (command->extent != Extent::none) {
        const std::optional<int64_t> capacity = capacity_of(*command, n[0]);
        if (!capacity) return Status::bad_address;
        const auto [start, count] = start_and_count(command->extent, n);
        slots[3] = default_length(start, count, data_length, *capacity);
        if (slots[3] < 0) return Status::bad_length;
    }
    if (command->pieces != Pieces::none) return transfer_in_pieces(*command, handle, instruction, slots, data);

    const int64_t bytes = byte_count(command->bytes, slots);
    if (bytes < 0 || bytes > working_buffer_size) return Status::bad_length;
    Buffer buffer{};
    Buffer block{};  // cpu_protocol's block stays apart from the response it gives
    const bool exchange = command->kind == Kind::card_exchange;
    const std::optional<Call> call = make_call(*command, handle, slots, exchange ? block.data() : buffer.data(), buffer.data());
    if (!call) return instruction_refused;

    switch (command->kind) {
        case Kind::plain:
            return static_cast<Status>(std::visit(*call, command->call));
        case Kind::write:
            if (!read_data(data, buffer.data(), bytes)) return instruction_refused;
            return static_cast<Status>(std::visit(*call, command->call));
        case Kind::card_exchange:
            if (!read_data(data, block.data(), bytes)) return instruction_refused;
            break;
        case Kind::card_reset:
            std::fill_n(buffer.begin(), reset_fill, reset_filler);
            break;
        case Kind::read:
            break;
    }

    OutputFile out;
    if (!out.open(instruction.file, instruction.mode)) return instruction_refused;
    const Status s = static_cast<Status>(std::visit(*call, command->call));
    if (failed(s)) return s;
    size_t written = static_cast<size_t>(bytes);
    if (command->kind == Kind::card_reset) written = answer_length(buffer);
    if (command->kind == Kind::card_exchange) written = 3 + size_t{buffer[2]} + 1;  // NAD PCB LEN, INF, and one more
    if (!out.write(buffer.data(), written) || !out.finish()) return instruction_refused;
    return Status::ok;
}

}  // namespace quillet::filecmd

#include "emulator/core/command_frame.h"

namespace vreader {

namespace {
inline constexpr size_t header = 4;
inline constexpr size_t processor_check_span = 9;
}  // namespace

std::span<const uint8_t> CommandFrame::body() const {
    const size_t start = raw ? 1 : header;
    if (bytes.size() < start + 1) return {};
    return std::span<const uint8_t>(bytes).subspan(start, bytes.size() - start - 1);
}

bool CommandFrame::check_ok() const {
    if (xor_of(bytes) == 0) return true;
    if (!processor_length() || bytes.size() < processor_check_span + 1) return false;
    return bytes.back() == xor_of(std::span<const uint8_t>(bytes).first(processor_check_span));
}

size_t FrameAssembler::expected_length() const {
    if (collecting_raw_) return raw_ ? raw_->length : 0;
    if (buffer_.size() < header) return 0;
    const size_t body = buffer_[2] == processor_length_mark ? buffer_[3] : be16(buffer_[2], buffer_[3]);
    return header + body + 1;
}

std::optional<CommandFrame> FrameAssembler::push(uint8_t byte) {
    if (buffer_.empty()) {
        collecting_raw_ = raw_ && raw_->length >= 2 && byte == raw_->lead && byte != command_lead;
        if (byte != command_lead && !collecting_raw_) {
            ++skipped_;
            return std::nullopt;
        }
    }
    buffer_.push_back(byte);
    if (!collecting_raw_ && buffer_.size() == header && buffer_[2] != processor_length_mark &&
        be16(buffer_[2], buffer_[3]) > max_body) {
        skipped_ += buffer_.size();
        buffer_.clear();
        return std::nullopt;
    }
    const size_t want = expected_length();
    if (want == 0 || buffer_.size() < want) return std::nullopt;
    CommandFrame frame{std::move(buffer_), collecting_raw_};
    buffer_.clear();
    collecting_raw_ = false;
    raw_.reset();
    return frame;
}

size_t FrameAssembler::abandon() {
    const size_t n = buffer_.size();
    buffer_.clear();
    collecting_raw_ = false;
    return n;
}

size_t FrameAssembler::take_skipped() {
    const size_t n = skipped_;
    skipped_ = 0;
    return n;
}

}  // namespace vreader

#include "emulator/cards/paged_flash.h"

#include <algorithm>

namespace vreader {

bool PagedFlash::set_setting(std::string_view name, uint32_t value) {
    if (name == "status" && value <= 0xFF) {
        status_ = static_cast<uint8_t>(value);
        return true;
    }
    if (name == "busy") {
        busy_frames_ = value;
        return true;
    }
    return false;
}

bool PagedFlash::load_contents(std::span<const uint8_t> image) {
    if (image.size() > memory_.size()) return false;
    std::copy(image.begin(), image.end(), memory_.begin());
    return true;
}

CardReply PagedFlash::read_frame(const CardCommand& c) const {
    const size_t page = c.bytes_5_6();
    const size_t offset = c.address();
    if (c.body().size() < frame_with_count || c.count() < 1 || !within_page(page, offset, c.count()))
        return CardReply::refuse(status::bad_parameter);
    return CardReply::ok(read(page, offset, c.count()));
}

bool PagedFlash::within_page(size_t page, size_t offset, size_t count) const {
    return page < kind_.pages && offset <= kind_.page_size && count <= kind_.page_size - offset;
}

Bytes PagedFlash::read(size_t page, size_t offset, size_t count) const {
    const auto first = memory_.begin() + static_cast<std::ptrdiff_t>(page * kind_.page_size + offset);
    return Bytes(first, first + static_cast<std::ptrdiff_t>(count));
}

void PagedFlash::program(size_t page, size_t offset, std::span<const uint8_t> data) {
    std::copy(data.begin(), data.end(), memory_.begin() + static_cast<std::ptrdiff_t>(page * kind_.page_size + offset));
    mark_changed();
}

void PagedFlash::erase_all() {
    std::fill(memory_.begin(), memory_.end(), uint8_t{0xFF});
    mark_changed();
}

bool PagedFlash::busy() {
    if (busy_frames_ == 0) return false;
    --busy_frames_;
    return true;
}

}  // namespace vreader

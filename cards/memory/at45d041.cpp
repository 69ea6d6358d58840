#include "cards/memory/at45d041.h"

#include <algorithm>
#include <span>

#include "cards/memory/flash_retries.h"
#include "core/checks.h"
#include "core/chunks.h"
#include "core/process_state.h"

namespace quillet::at45d041 {

namespace {

using flash_retries::attempt;
using flash_retries::PausedRetries;
using flash_retries::reply_for;

constexpr int page_transfer = page_size;  // data bytes per frame of read_twice and write_pages
constexpr int status_frames = 4;
constexpr int presence_tries = 3;

// read: a failed send or receive is tried again up to 10 times, a refusal never; write: the busy
// answer also up to 3 times. Both after a pause of 300 ms.
constexpr PausedRetries paced_read{10, 0, false};
constexpr PausedRetries paced_write{10, 3, true};

// AA cmd LH LL 6E pageH pageL offH offL
Frame page_frame(uint8_t cmd, int page, int offset) {
    Frame f(cmd);
    f.type(card_type).be16(static_cast<uint16_t>(page)).be16(static_cast<uint16_t>(offset));
    return f;
}

Frame read_frame(int page, int offset, int count) {
    return page_frame(command::read, page, offset).be16(static_cast<uint16_t>(count));
}

Frame write_frame(int page, int offset, int count, const uint8_t* data) {
    return page_frame(command::write, page, offset).data(data, static_cast<size_t>(count));
}

Status range_checks(int16_t page, int16_t offset, int32_t length) {
    return first_failure({
        {length >= 1, Status::bad_length},
        {page >= 0 && page < pages && offset >= 0 && offset < page_size, Status::bad_address},
        {length <= (pages - page) * page_size - offset, Status::bad_length},
    });
}

template <typename Fn>
Status walk(int16_t page, int16_t offset, int32_t length, int chunk, Fn&& fn) {
    return for_each_page_chunk(page, offset, length, page_size, chunk, fn);
}

// The double read compares lead, status byte, length field and the n data bytes of two replies
// (a reply that ended sooner compares as far as it goes, and only with one that ended there too).
bool agree(const Reply& a, const Reply& b, int n) {
    const auto head = [n](const Reply& r) {
        const auto bytes = r.bytes();
        return bytes.first(std::min(bytes.size(), frame_header + static_cast<size_t>(n)));
    };
    return std::ranges::equal(head(a), head(b));
}

Status read_chunk_twice(int32_t handle, int page, int offset, int n, uint8_t* out) {
    const Frame f = read_frame(page, offset, n);
    const auto read_into = [&](Reply& reply) {
        return flash_retries::at_once([&] { return attempt(handle, f, Wait::normal, reply); });
    };
    Reply first = reply_for(static_cast<size_t>(n));
    Reply second = reply_for(static_cast<size_t>(n));
    QL_TRY(read_into(first));
    QL_TRY(read_into(second));
    if (agree(first, second, n)) return take_data(first, out, static_cast<size_t>(n));
    Reply third = reply_for(static_cast<size_t>(n));
    QL_TRY(read_into(third));
    if (agree(first, third, n)) return take_data(first, out, static_cast<size_t>(n));
    if (agree(second, third, n)) return take_data(second, out, static_cast<size_t>(n));
    return Status::read_failed;
}

}  // namespace

Status read(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer) {
    if (process_state().extended_reader) return read_twice(handle, page, offset, length, buffer);
    QL_TRY(range_checks(page, offset, length));
    if (failed(check(handle))) return Status::read_failed;
    return walk(page, offset, length, paced_chunk, [&](int p, int o, int n, int position) {
        const Frame f = read_frame(p, o, n);
        Reply reply = reply_for(static_cast<size_t>(n));
        QL_TRY(flash_retries::with_pauses(paced_read, [&] { return attempt(handle, f, Wait::normal, reply); }));
        return take_data(reply, buffer + position, static_cast<size_t>(n));
    });
}

Status write(int32_t handle, int16_t page, int16_t offset, int32_t length, const uint8_t* data) {
    if (process_state().extended_reader) return write_pages(handle, page, offset, length, data);
    QL_TRY(range_checks(page, offset, length));
    if (failed(check(handle))) return Status::write_failed;
    return walk(page, offset, length, paced_chunk, [&](int p, int o, int n, int position) {
        const Frame f = write_frame(p, o, n, data + position);
        Reply reply;
        return flash_retries::with_pauses(paced_write, [&] { return attempt(handle, f, Wait::normal, reply); });
    });
}

Status read_twice(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer) {
    QL_TRY(range_checks(page, offset, length));
    return walk(page, offset, length, page_transfer, [&](int p, int o, int n, int position) {
        return read_chunk_twice(handle, p, o, n, buffer + position);
    });
}

Status write_pages(int32_t handle, int16_t page, int16_t offset, int32_t length, const uint8_t* data) {
    QL_TRY(range_checks(page, offset, length));
    return walk(page, offset, length, page_transfer, [&](int p, int o, int n, int position) {
        const Frame f = write_frame(p, o, n, data + position);
        Reply reply;
        return flash_retries::at_once([&] { return attempt(handle, f, Wait::normal, reply); });
    });
}

Status read_flash_status(int32_t handle, uint8_t* status) {
    const Frame f = page_frame(command::flash_status, 0, 0);
    for (int i = 1; i < status_frames; ++i) {
        Reply reply;
        QL_TRY(exchange(handle, f, Wait::normal, reply));
    }
    return read_data(handle, f, Wait::normal, status, 1);
}

Status check(int32_t handle) {
    for (int i = 0; i < presence_tries; ++i) {
        uint8_t status = 0;
        QL_TRY(read_flash_status(handle, &status));
        if (status != 0x00 && status != 0xFF) return Status::ok;
    }
    return Status::wrong_card;
}

}  // namespace quillet::at45d041

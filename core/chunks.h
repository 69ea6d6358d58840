// Long reads, writes and erases travel as several frames; the first failure ends the call and the
// chunks already carried out stay done.
#pragma once

#include "core/status.h"

namespace quillet {

// Calls fn(address, count, position) for consecutive chunks of at most chunk_size units covering
// [offset, offset + length): address = offset + position, position counts from 0.
template <typename Fn>
Status for_each_chunk(int offset, int length, int chunk_size, Fn&& fn) {
    for (int position = 0; position < length; position += chunk_size) {
        const int count = length - position < chunk_size ? length - position : chunk_size;
        QL_TRY(fn(offset + position, count, position));
    }
    return Status::ok;
}

// Paged memories: calls fn(page, offset, count, position) for consecutive chunks of at most
// chunk_size bytes covering length bytes from (page, offset) on, pages of page_size bytes. A chunk
// never crosses a page end: the one that reaches it is followed by offset 0 of the next page.
// position counts the bytes of the earlier chunks.
template <typename Fn>
Status for_each_page_chunk(int page, int offset, int length, int page_size, int chunk_size, Fn&& fn) {
    for (int done = 0; done < length; ++page, offset = 0) {
        const int in_page = length - done < page_size - offset ? length - done : page_size - offset;
        if (Status s = for_each_chunk(offset, in_page, chunk_size,
                                      [&](int address, int count, int position) {
                                          return fn(page, address, count, done + position);
                                      });
            failed(s))
            return s;
        done += in_page;
    }
    return Status::ok;
}

}  // namespace quillet

// Long reads, writes and erases travel as several frames; the first failure ends the call and the
// chunks already carried out stay done.
#pragma once

#include "reader/status.h"

namespace quillet {

// Calls fn(address, count, position) for consecutive chunks of at most chunk_size units covering
// [offset, offset + length): address = offset + position, position counts from 0.
template <typename Fn>
Status for_each_chunk(int offset, int length, int chunk_size, Fn&& fn) {
    for (int position = 0; position < length; position += chunk_size) {
        const int count = length - position < chunk_size ? length - position : chunk_size;
        if (Status s = fn(offset + position, count, position); failed(s)) return s;
    }
    return Status::ok;
}

}  // namespace quillet

// The frame log: every frame that crossed the link, in hex with a direction mark, and notes on
// what the reader did with bytes that made no frame.
//
//   > AA B0 00 07 80 00 00 00 00 00 0A 1D     host to reader
//   < 55 00 00 0A 4E 4F ... 3C                reader to host (as sent, faults included)
//   # reply dropped (fault plan)              a note
// Kept in memory (the control channel's "log") and, when a sink is set, written to it line by line.
#pragma once

#include <cstdio>
#include <deque>
#include <span>
#include <string>

#include "emulator/core/bytes.h"

namespace vreader {

struct LogEntry {
    char mark;  // '>' host to reader, '<' reader to host, '#' note
    Bytes bytes;
    std::string note;

    std::string line() const;
};

class FrameLog {
public:
    static constexpr size_t kept_entries = 20000;  // the oldest go first

    void host(std::span<const uint8_t> frame) { add({'>', Bytes(frame.begin(), frame.end()), {}}); }
    void reader(std::span<const uint8_t> frame) { add({'<', Bytes(frame.begin(), frame.end()), {}}); }
    void note(std::string text) { add({'#', {}, std::move(text)}); }

    const std::deque<LogEntry>& entries() const { return entries_; }
    void clear() { entries_.clear(); }
    // Lines also go to this stream (stderr or a file), flushed each; nullptr: memory only.
    void set_sink(std::FILE* sink) { sink_ = sink; }

private:
    void add(LogEntry entry);

    std::deque<LogEntry> entries_;
    std::FILE* sink_ = nullptr;
};

}  // namespace vreader

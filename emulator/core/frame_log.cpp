#include "emulator/core/frame_log.h"

namespace vreader {

std::string LogEntry::line() const {
    std::string text(1, mark);
    text += ' ';
    text += mark == '#' ? note : to_hex(bytes);
    return text;
}

void FrameLog::add(LogEntry entry) {
    if (sink_) {
        const std::string text = entry.line();
        std::fprintf(sink_, "%s\n", text.c_str());
        std::fflush(sink_);
    }
    if (entries_.size() == kept_entries) entries_.pop_front();
    entries_.push_back(std::move(entry));
}

}  // namespace vreader

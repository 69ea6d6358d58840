// A stand-in for the programs the operator windows start: it appends one line to record.txt beside
// itself (its pid, its start time and its words, each in brackets), runs on for a while, then appends
// "end". Lines are written whole, so instances started together do not mix their lines.
#pragma once

#include <chrono>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "scratch.h"

namespace quillet::testing {

inline constexpr std::string_view recorder =
    "#!/bin/sh\n"
    "line=\"$$ $(date +%s.%N) $(basename \"$0\")\"\n"
    "for a in \"$@\"; do line=\"$line [$a]\"; done\n"
    "echo \"$line\" >> \"$(dirname \"$0\")/record.txt\"\n"
    "sleep 2\n"
    "{ echo end >> \"$(dirname \"$0\")/record.txt\"; } 2>/dev/null\n";

struct Record {
    std::string pid;
    double started = 0;  // seconds since the epoch
    std::string program;
    std::string words;  // "[a] [b]"
};

inline Record parse_record(const std::string& line) {
    std::istringstream in(line);
    Record r;
    in >> r.pid >> r.started >> r.program;
    std::getline(in >> std::ws, r.words);
    return r;
}

// The start lines in `directory`/record.txt, once there are `wanted` of them or after about four seconds.
inline std::vector<Record> record_lines(const std::filesystem::path& directory, std::size_t wanted,
                                        std::size_t* ends = nullptr) {
    std::vector<Record> records;
    for (int tries = 0; tries < 200; ++tries) {
        records.clear();
        std::size_t end_lines = 0;
        std::istringstream in(read_text(directory / "record.txt"));
        for (std::string line; std::getline(in, line);) {
            if (line == "end") {
                ++end_lines;
            } else if (!line.empty()) {
                records.push_back(parse_record(line));
            }
        }
        if (ends != nullptr) *ends = end_lines;
        if (records.size() >= wanted && (ends == nullptr || end_lines >= wanted)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return records;
}

inline std::vector<Record> record_lines(const ScratchDir& dir, std::size_t wanted) {
    return record_lines(dir.path(), wanted);
}

}  // namespace quillet::testing

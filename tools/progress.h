// What the tool shows on stderr while it works, on a terminal only: nothing when stderr is piped
// or redirected, so that scripts and logs stay clean.
#pragma once

#include <string>
#include <string_view>

namespace quillet_tool {

// True when stderr is a terminal.
bool showing_progress();

// One line that stays while a slow call runs ("trying chk_4442 (9/15)"), erased at the end.
class StatusLine {
public:
    explicit StatusLine(std::string_view text = {});
    ~StatusLine();
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;
    void show(std::string_view text);

private:
    bool shown_ = false;
};

// A bar for a transfer of total bytes in several calls: "read  [#####     ]  50%  4096/8192 bytes".
class ProgressBar {
public:
    ProgressBar(std::string_view label, long total);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;
    void update(long done);

private:
    std::string label_;
    long total_;
    bool shown_ = false;
};

}  // namespace quillet_tool

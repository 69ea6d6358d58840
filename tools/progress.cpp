#include "tools/progress.h"

#include <unistd.h>

#include <cstdio>

namespace quillet_tool {

namespace {

constexpr int bar_width = 30;

void erase_line() { std::fputs("\r\033[K", stderr); }

}  // namespace

bool showing_progress() { return ::isatty(STDERR_FILENO) == 1; }

StatusLine::StatusLine(std::string_view text) {
    if (!text.empty()) show(text);
}

StatusLine::~StatusLine() {
    if (shown_) erase_line();
}

void StatusLine::show(std::string_view text) {
    if (!showing_progress()) return;
    erase_line();
    std::fprintf(stderr, "%.*s...", static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
    shown_ = true;
}

ProgressBar::ProgressBar(std::string_view label, long total) : label_(label), total_(total) {}

ProgressBar::~ProgressBar() {
    if (shown_) erase_line();
}

void ProgressBar::update(long done) {
    if (total_ <= 0 || !showing_progress()) return;
    const long filled = done * bar_width / total_;
    std::string bar(static_cast<size_t>(bar_width), ' ');
    bar.replace(0, static_cast<size_t>(filled), static_cast<size_t>(filled), '#');
    erase_line();
    std::fprintf(stderr, "%s [%s] %3ld%%  %ld/%ld bytes", label_.c_str(), bar.c_str(), done * 100 / total_, done, total_);
    std::fflush(stderr);
    shown_ = true;
}

}  // namespace quillet_tool

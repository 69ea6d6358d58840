// quillet-vreader --daemon: the virtual reader in the background, for scripts.
//
//   eval "$(quillet-vreader --daemon --card sle4442)"
//
// The program forks; the background process opens the terminal and the control socket (one in a
// fresh temporary directory when --control is not given), makes its pid file new (a link or a
// file already at that name is refused, unless it is the pid file of a process that has ended),
// and only then
// tells the waiting foreground process, which prints shell lines and exits:
//
//   QUILLET_COM1=/dev/pts/5; export QUILLET_COM1
//   QUILLET_VREADER_CONTROL=/tmp/quillet-vreader.x1Y2z3/control; export QUILLET_VREADER_CONTROL
//   QUILLET_VREADER_PID=12345; export QUILLET_VREADER_PID
//   # stop it: quillet-vreader ctl /tmp/quillet-vreader.x1Y2z3/control stop   (or kill 12345)
//
// A failure before that (a card image that does not fit, an unwritable --save file) is reported
// on standard error and ends the foreground process with the background one's exit status. On
// "stop", "quit", SIGTERM or SIGINT the background process removes its pid file and the directory
// it made.
#pragma once

#include "emulator/program/options.h"

namespace vreader {

int run_daemon(Options options, const char* program);

}  // namespace vreader

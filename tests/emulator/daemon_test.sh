#!/bin/bash
# daemon_test.sh VREADER: quillet-vreader as a script drives it: --daemon under eval, the pid file,
# the built-in control client (one command, commands from standard input, exit statuses), stop,
# SIGTERM, the refusals at start (an image of the wrong size, an unwritable --save file, a pid
# file or a control socket that is not its own) and a bad command line.
set -u
vreader=$1
work=$(mktemp -d)
export TMPDIR=$work
checks=0
fail() {
    echo "FAIL: $*"
    [ -n "${QUILLET_VREADER_PID:-}" ] && kill "$QUILLET_VREADER_PID" 2>/dev/null
    rm -rf "$work"
    exit 1
}
pass() { checks=$((checks + 1)); }
gone() {  # pid: true once the process has ended (up to 5 s); an unreaped zombie counts as ended
    for _ in $(seq 100); do
        state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 0
        [ "$state" = Z ] && return 0
        sleep 0.05
    done
    return 1
}

out=$("$vreader" --daemon --card SLE4442) || fail "--daemon failed: $out"
eval "$out"
[ -c "$QUILLET_COM1" ] && pass || fail "QUILLET_COM1 is no terminal: $out"
dir=$(dirname "$QUILLET_VREADER_CONTROL")
[ "$(cat "$dir/pid")" = "$QUILLET_VREADER_PID" ] && pass || fail "pid file"
kill -0 "$QUILLET_VREADER_PID" && pass || fail "not running"
echo "$out" | grep -q "ctl $QUILLET_VREADER_CONTROL stop" && pass || fail "no word on how to stop it"

[ "$("$vreader" ctl "$QUILLET_VREADER_CONTROL" card)" = "ok sle4442" ] && pass || fail "card name"
[ "$("$vreader" ctl "$QUILLET_VREADER_CONTROL" mem read 0x0180 1)" = "ok 04" ] && pass || fail "mem read"
answer=$(printf 'fault delay 2500\nfault list\nbogus\n' | "$vreader" ctl "$QUILLET_VREADER_CONTROL")
[ $? -eq 1 ] && pass || fail "an err answer must give exit status 1"
[ "$(echo "$answer" | sed -n '1s/ .*//p;3p;4p' | tr '\n' '|')" = "ok|ok 1|err unknown command 'bogus'|" ] &&
    echo "$answer" | sed -n 2p | grep -q '^fault delay 2500' && pass || fail "answers from standard input: $answer"
"$vreader" ctl "$work/no-such-socket" ping 2>/dev/null
[ $? -eq 2 ] && pass || fail "an unreachable socket must give exit status 2"

[ "$("$vreader" ctl "$QUILLET_VREADER_CONTROL" stop)" = "ok" ] && pass || fail "stop"
gone "$QUILLET_VREADER_PID" && pass || fail "still running after stop"
[ ! -e "$dir" ] && pass || fail "$dir left behind"

# Chosen places for the socket and the pid file; SIGTERM ends it as cleanly as stop.
eval "$("$vreader" --daemon --com 2 --control "$work/vr.sock" --pid-file "$work/vr.pid")"
[ -c "$QUILLET_COM2" ] && [ -S "$work/vr.sock" ] && [ -s "$work/vr.pid" ] && pass || fail "--com, --control, --pid-file"
kill "$QUILLET_VREADER_PID"
gone "$QUILLET_VREADER_PID" && pass || fail "still running after SIGTERM"
[ ! -e "$work/vr.pid" ] && [ ! -e "$work/vr.sock" ] && pass || fail "pid file or socket left after SIGTERM"
unset QUILLET_VREADER_PID

head -c 300 /dev/zero >"$work/wrong.bin"
message=$("$vreader" --daemon --card Sle4442:"$work/wrong.bin" 2>&1)
[ $? -ne 0 ] && echo "$message" | grep -q "whose image is 264 bytes" && pass || fail "wrong-size image: $message"
message=$("$vreader" --daemon --card 24c02:"$work/missing/card.bin" --save 2>&1)
[ $? -ne 0 ] && echo "$message" | grep -q "cannot write" && pass || fail "unwritable --save file: $message"
[ -z "$(ls -A "$work" | grep -v wrong.bin)" ] && pass || fail "a refused start left files: $(ls -A "$work")"

# A pid file left by a process that has ended is replaced; a link planted as the pid file is not
# followed. A second reader on a running one's control socket is refused, so that stop reaches
# the first one, which saves its card on the way out.
sh -c 'echo $$' >"$work/stale.pid"
eval "$("$vreader" --daemon --control "$work/vr.sock" --pid-file "$work/stale.pid" --card 24c02:"$work/card.bin" --save)"
[ "$(cat "$work/stale.pid")" = "$QUILLET_VREADER_PID" ] && pass || fail "a stale pid file was not replaced"
message=$(timeout 5 "$vreader" --control "$work/vr.sock" 2>&1)
[ $? -eq 1 ] && [ "$(echo "$message" | wc -l)" -eq 1 ] && echo "$message" | grep -q "answers there" && pass ||
    fail "a second reader on the same socket: $message"
ln -s "$work/victim" "$work/planted.pid"
message=$("$vreader" --daemon --control "$work/other.sock" --pid-file "$work/planted.pid" 2>&1)
status=$?
[ $status -eq 0 ] && eval "$message" && kill "$QUILLET_VREADER_PID"
[ $status -ne 0 ] && [ ! -e "$work/victim" ] && [ ! -e "$work/other.sock" ] && echo "$message" | grep -q "pid file" && pass ||
    fail "a planted pid file link: $message"
first=$(cat "$work/stale.pid")
[ "$("$vreader" ctl "$work/vr.sock" stop)" = "ok" ] && gone "$first" && pass || fail "stop missed the first reader"
[ -s "$work/card.bin" ] && [ ! -e "$work/vr.sock" ] && [ ! -e "$work/stale.pid" ] && pass || fail "the first reader's save or clean-up"
unset QUILLET_VREADER_PID
rm -f "$work/planted.pid" "$work/card.bin"

# A bad command line: one line that points to --help, exit status 2.
for bad in "--rate 12345" "--bogus"; do
    message=$("$vreader" $bad 2>&1 >/dev/null)
    [ $? -eq 2 ] && [ "$(echo "$message" | wc -l)" -eq 1 ] && echo "$message" | grep -q -- "^quillet-vreader: $bad.*(see --help)$" &&
        pass || fail "bad option $bad: $(echo "$message" | head -3)"
done

rm -rf "$work"
echo "$checks passed, 0 failed"

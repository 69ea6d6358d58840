#!/bin/bash
# Smoke run of the x86_64 Windows programs under wine64 on a private 1024 x 768 X server:
# each window opens centred, a screenshot is taken, button presses (real pointer clicks through
# xdotool, and BM_CLICK) start the recording stand-ins, and "退出" or the control menu ends the program.
#   tests/gui/win32/wine_smoke.sh <x86_64 build directory>
# Screenshots go to <build>/screenshots; the Wine prefix lives in <build>/wineprefix and is kept.
set -euo pipefail

build=$(cd "$1" && pwd)
wine=${WINE64:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
shots=$build/screenshots
run=$build/wine-run
helpers=$build/tests/gui/win32
scratch=$(mktemp -d)
app=""
xvfb=""

fail() {
    echo "wine smoke: $*" >&2
    exit 1
}

cleanup() {
    if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
    "$wineserver" -k 2>/dev/null || true
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT

probe() { "$wine" "$helpers/probe.exe" "$@"; }

# The line of the control whose text is $2 in the listing $1.
control_line() {
    printf '%s\n' "$1" | TEXT="$2" awk '$1 == "control" {
        t = $0
        for (i = 0; i < 8; i++) sub(/^[^ ]+ /, "", t)
        if (t == ENVIRON["TEXT"]) print
    }'
}
control_id() { control_line "$1" "$2" | awk '{ print $2 }'; }
control_enabled() { control_line "$1" "$2" | awk '{ print $4 }'; }

# A real pointer click in the middle of a control.
click() {
    local line
    line=$(control_line "$1" "$2")
    [ -n "$line" ] || fail "no control \"$2\""
    set -- $line
    xdotool mousemove $(($5 + $7 / 2)) $(($6 + $8 / 2)) click 1
}

screenshot() {
    local geometry
    geometry=$(printf '%s\n' "$2" | awk '$1 == "window" { printf "%dx%d+%d+%d", $4, $5, $2, $3 }')
    import -window root "$scratch/root.png"
    convert "$scratch/root.png" -crop "$geometry" +repage "$shots/$1.png"
    echo "wine smoke: screenshot $shots/$1.png"
}

# Waits until record.txt has at least $1 lines matching $2.
wait_record() {
    for _ in $(seq 100); do
        [ "$( (cat record.txt 2>/dev/null || true) | grep -c -- "$2" || true)" -ge "$1" ] && return 0
        sleep 0.1
    done
    fail "expected $1 lines \"$2\" in record.txt, have: $(cat record.txt 2>/dev/null)"
}

start() {
    "$wine" "$build/$1.exe" >"$scratch/$1.log" 2>&1 &
    app=$!
    listing=$(probe wait 60000 | tr -d '\r') || fail "$1: the window did not open"
}

# The program has ended: its window is gone and its process has exited.
ended() {
    probe gone 10000 || fail "$1: the window is still open"
    for _ in $(seq 100); do
        kill -0 "$app" 2>/dev/null || { wait "$app" || true; app=""; return 0; }
        sleep 0.1
    done
    fail "$1: the program is still running"
}

expect_window() {
    printf '%s\n' "$listing" | grep -qx "window $1 数据库创建" || fail "window not at $1: $listing"
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$scratch/display")

if [ ! -f "$WINEPREFIX/quillet-ready" ]; then
    echo "wine smoke: preparing $WINEPREFIX"
    "$wine" wineboot -i >"$scratch/wineboot.log" 2>&1
    replace='HKCU\Software\Wine\Fonts\Replacements'
    for face in 楷体_GB2312 楷体 KaiTi SimKai; do "$wine" reg add "$replace" /v "$face" /d "AR PL UKai CN" /f >/dev/null; done
    for face in 宋体 新宋体 SimSun NSimSun; do "$wine" reg add "$replace" /v "$face" /d "AR PL UMing CN" /f >/dev/null; done
    # Chinese text in Arial is drawn from the Ming face, as font linking does on Windows.
    link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    for face in Arial "Liberation Sans"; do
        "$wine" reg add "$link" /v "$face" /t REG_MULTI_SZ /d "uming.ttc,AR PL UMing CN" /f >/dev/null
    done
    # No window manager runs here: Wine draws the frames and title bars itself.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
    "$wineserver" -w
    touch "$WINEPREFIX/quillet-ready"
fi

mkdir -p "$shots"
rm -rf "$run"
mkdir -p "$run"
cd "$run"
printf '@echo off\r\necho rebuild1 [%%*]>> record.txt\r\n' >rebuild1.bat
printf '@echo off\r\necho rebuild2 [%%*]>> record.txt\r\n' >rebuild2.bat
cp "$helpers/record_start.exe" dbsrv10.exe

# pelvane, with a GBK profile value that has a directory part.
printf '[sqlca]\r\ndatabase=\xCA\xFD\xBE\xDD\\main\r\n' >vt.ini
start pelvane
expect_window "270 165 485 439"
control_line "$listing" "数据库：数据\\main.db   数据\\main.log" | grep -q . || fail "pelvane: file names wrong: $listing"
screenshot pelvane-wine "$listing"
click "$listing" "1.生成新数据库aaa"
wait_record 1 "^rebuild1 \[\]"
probe press "$(control_id "$listing" "1.生成新数据库aaa")"
wait_record 2 "^rebuild1 \[\]"
# One batch file at a time from here: the command processor opens record.txt for itself alone.
probe press "$(control_id "$listing" "3.重建原数据库")"
wait_record 1 "^rebuild2 \[\]"
click "$listing" "退出"
ended pelvane
echo "wine smoke: pelvane ok"

# database on the server: the key on the command line, the server outlives the window.
rm -f record.txt
printf '[sqlca]\r\ndatabase=main\r\nnet=server\r\n' >vt.ini
start database
expect_window "293 231 438 306"
[ "$(control_enabled "$listing" "启动数据库服务器")" = 1 ] || fail "database: start button disabled on a server"
screenshot database-wine "$listing"
click "$listing" "启动数据库服务器"
wait_record 1 " dbsrv10.exe main.db -ek quvo58214763$"
probe press "$(control_id "$listing" "退出")"
ended database
grep -qx end record.txt && fail "database: the server ended before the window closed"
wait_record 1 "^end"
echo "wine smoke: database ok"

# database on a workstation: the start button is disabled; the control menu closes the window.
rm -f record.txt
printf '[sqlca]\r\ndatabase=main\r\nnet=work\r\n' >vt.ini
start database
[ "$(control_enabled "$listing" "启动数据库服务器")" = 0 ] || fail "database: start button enabled on a workstation"
screenshot database-wine-workstation "$listing"
click "$listing" "启动数据库服务器"
sleep 1
[ ! -e record.txt ] || fail "database: a disabled button started the server"
probe close
ended database
echo "wine smoke: database on a workstation ok"

#!/bin/sh
# wine_prefix.sh WINE64 PREFIX init          creates the private Wine prefix once (kept for reruns)
#                                             and starts its Wine server
# wine_prefix.sh WINE64 PREFIX stop          stops the prefix's Wine server
# wine_prefix.sh WINE64 PREFIX run PROGRAM [ARGS...]   runs a console program in the prefix
# Console programs need no display. The server and Wine's own service processes stay up between
# runs, so each run costs little; they never hold the caller's output open (a test harness waits
# for its pipes to close): runs write to a file that is copied out when the program has ended.
set -eu
wine64=$1 prefix=$2 action=$3
shift 3
WINEPREFIX=$(mkdir -p "$prefix" && cd "$prefix" && pwd)
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="   # no .NET or browser engine installs
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
unset DISPLAY WAYLAND_DISPLAY
wineserver=$(dirname "$wine64")/wineserver64
[ -x "$wineserver" ] || wineserver=wineserver

case $action in
init)
  if [ ! -f "$WINEPREFIX/.quillet-prefix-ready" ]; then
    started=$(date +%s)
    "$wine64" wineboot -i </dev/null >"$WINEPREFIX/wineboot.log" 2>&1 || { cat "$WINEPREFIX/wineboot.log"; exit 1; }
    "$wineserver" -w
    touch "$WINEPREFIX/.quillet-prefix-ready"
    echo "wine prefix created in $(($(date +%s) - started)) s: $WINEPREFIX"
  else
    echo "wine prefix ready: $WINEPREFIX"
  fi
  # A server that is already up keeps running (and -p then says so with a non-zero status).
  "$wineserver" -p 30 </dev/null >/dev/null 2>&1 || true
  # The first program starts Wine's service processes; their output goes to the log, not here.
  "$wine64" hostname </dev/null >"$WINEPREFIX/services.log" 2>&1 || { cat "$WINEPREFIX/services.log"; exit 1; }
  ;;
stop)
  "$wineserver" -k 2>/dev/null || true
  ;;
run)
  output=$(mktemp /tmp/quillet-wine-run.XXXXXX)
  status=0
  "$wine64" "$@" >"$output" 2>&1 || status=$?
  tr -d '\r' <"$output"
  rm -f "$output"
  exit $status
  ;;
*)
  echo "usage: wine_prefix.sh WINE64 PREFIX init|stop|run PROGRAM [ARGS...]" >&2
  exit 2
  ;;
esac

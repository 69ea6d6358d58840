#!/bin/bash
# wine_sessions.sh WINE64 PREFIX VREADER WINTEST [PROGRAM=READER_ARGUMENTS ...]
# Runs every session of the Windows test program under Wine, each against its own virtual reader
# (started with the session's arguments) with the prefix's COM1 pointed at the reader's
# pseudo-terminal; then each further PROGRAM the same way. Prints one line per run with its time
# and fails when any run fails.
set -uo pipefail
wine64=$1 vreader=$3 wintest=$4
prefix=$(cd "$2" && pwd) || { echo "no Wine prefix at $2"; exit 1; }
shift 4
[ -x "$vreader" ] || { echo "no virtual reader at '$vreader' (configure with -DQUILLET_VREADER=PATH)"; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
wine() { "$here/wine_prefix.sh" "$wine64" "$prefix" run "$@"; }
logs=$(mktemp -d /tmp/quillet-wine-sessions.XXXXXX)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$logs"
}
trap cleanup EXIT

# Starts the virtual reader with the given arguments; sets pid and pty.
start_reader() {
  local name=$1
  shift
  "$vreader" "$@" --log "$logs/$name.frames" </dev/null >"$logs/$name.out" 2>"$logs/$name.err" &
  pid=$!
  pty=""
  for _ in $(seq 200); do
    pty=$(sed -n 's/^QUILLET_COM1=//p' "$logs/$name.out" 2>/dev/null | head -n 1)
    [ -n "$pty" ] && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.025
  done
  echo "the virtual reader did not start for $name:"
  cat "$logs/$name.err"
  return 1
}

stop_reader() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=""
}

# COM2 names a device that refuses access (a directory: CreateFileA gets ERROR_ACCESS_DENIED).
mkdir -p "$prefix/refusing-device"
ln -sfn "$prefix/refusing-device" "$prefix/dosdevices/com2"

# One run a line: name|program|its argument|the reader's arguments (an empty field stays a field).
runs=$(wine "$wintest" --list </dev/null | awk -F '\t' -v p="$wintest" '{print $1 "|" p "|" $1 "|" $2}') ||
  { echo "cannot list the sessions of $wintest"; exit 1; }
[ -n "$runs" ] || { echo "$wintest lists no sessions"; exit 1; }
for extra in "$@"; do
  program=${extra%%=*}
  runs+=$'\n'"$(basename "$program" .exe)|$program||${extra#*=}"
done

passed=0 failed=0 all_started=$(date +%s%N)
while IFS='|' read -r name program argument arguments; do
  read -r -a reader_args <<<"$arguments"
  start_reader "$name" "${reader_args[@]}" || { failed=$((failed + 1)); continue; }
  # The reader sets its terminal's speed through the kernel's arbitrary-rate field, which Wine's
  # serial layer cannot read back (GetCommState would fail); a real port always reports a
  # standard rate, and so does the terminal once stty has set one.
  stty -F "$pty" 9600 || { failed=$((failed + 1)); stop_reader; continue; }
  ln -sfn "$pty" "$prefix/dosdevices/com1"
  started=$(date +%s%N)
  if [ -n "$argument" ]; then
    wine "$program" "$argument" </dev/null >"$logs/$name.result" 2>&1
  else
    wine "$program" </dev/null >"$logs/$name.result" 2>&1
  fi
  status=$?
  ms=$((($(date +%s%N) - started) / 1000000))
  stop_reader
  if [ $status -eq 0 ]; then
    passed=$((passed + 1))
    printf 'passed  %-16s %6d ms\n' "$name" "$ms"
  else
    failed=$((failed + 1))
    printf 'FAILED  %-16s %6d ms (exit status %d)\n' "$name" "$ms" "$status"
    sed 's/^/    /' "$logs/$name.result"
    echo "    the reader's last frames:"
    tail -n 8 "$logs/$name.frames" | sed 's/^/    /'
  fi
done <<<"$runs"

# The frame trace under Windows: the first program again, with QUILLET_TRACE naming a file (by its
# Windows name); the file must hold the frames on COM1 and the calls.
first=$(head -n 1 <<<"$runs")
IFS='|' read -r name program argument arguments <<<"$first"
read -r -a reader_args <<<"$arguments"
trace_file="$logs/trace.log"
if start_reader trace "${reader_args[@]}" && stty -F "$pty" 9600; then
  ln -sfn "$pty" "$prefix/dosdevices/com1"
  QUILLET_TRACE="Z:${trace_file//\//\\}" wine "$program" ${argument:+"$argument"} </dev/null >"$logs/trace.result" 2>&1
  stop_reader
  if grep -Eq '^[0-9]+\.[0-9]{6} COM1 > AA( [0-9A-F]{2})+' "$trace_file" 2>/dev/null &&
     grep -Eq '^[0-9]+\.[0-9]{6} call ic_init\(port=0, baud=[0-9]+\) = [0-9]+' "$trace_file"; then
    passed=$((passed + 1))
    echo "passed  trace ($name, $(wc -l <"$trace_file") lines)"
  else
    failed=$((failed + 1))
    echo "FAILED  trace ($name): no frames or calls in the trace file"
    head -n 8 "$trace_file" 2>/dev/null | sed 's/^/    /'
  fi
else
  failed=$((failed + 1))
fi
total=$((($(date +%s%N) - all_started) / 1000000))
echo "wine runs: $passed passed, $failed failed, $total ms"
[ $failed -eq 0 ]

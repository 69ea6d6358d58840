#!/bin/sh
# run_example.sh VREADER PROGRAM "READER OPTIONS" ["SECOND READER OPTIONS"]: runs an example as its
# user would: a virtual reader in the background for port 0 (and one for port 1), the program,
# then both readers stopped. The exit status is the program's.
set -eu
vreader=$1 program=$2 first=$3 second=${4:-}
TMPDIR=$(mktemp -d)
export TMPDIR
controls=""
cleanup() {
    for control in $controls; do "$vreader" ctl "$control" stop >/dev/null 2>&1 || true; done
    rm -rf "$TMPDIR"
}
trap cleanup EXIT
# shellcheck disable=SC2086 # the options are words
eval "$("$vreader" --daemon $first)"
controls=$QUILLET_VREADER_CONTROL
if [ -n "$second" ]; then
    # shellcheck disable=SC2086
    eval "$("$vreader" --daemon $second)"
    controls="$controls $QUILLET_VREADER_CONTROL"
fi
"$program"

#!/bin/sh
# check_header.sh CC CXX INCLUDE_DIR LIBRARY_DIR SOURCE [FLAGS]: the public headers (SOURCE includes
# every one, the family catalogue checked for consistency as it runs) compile as every C
# standard from C89 and every C++ standard from C++98 with -pedantic -Werror, as they are and with
# <iso646.h> included first; the builds without it run against the shared library (C++ reaches
# the export xor as ql_xor). Then every status code of quillet.h has its row in quillet_status.h. FLAGS are
# added to every build (the sanitizers of a sanitized library).
set -eu
cc=$1 cxx=$2 include=$3 libdir=$4 source=$5 extra=${6:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
flags="-pedantic -Wall -Wextra -Wconversion -Werror -I$include $extra"
failed=0 built=0

check_only() {  # compiler language standard [defines]: compiles, nothing more
    compiler=$1 language=$2 standard=$3
    shift 3
    if ! "$compiler" -x "$language" -std="$standard" $flags "$@" -fsyntax-only "$source"; then
        echo "$compiler -std=$standard $*: does not compile"
        failed=1
    fi
    built=$((built + 1))
}

build_and_run() {  # compiler language standard [defines]
    compiler=$1 language=$2 standard=$3
    shift 3
    out="$work/use-$standard$*"
    out=$(echo "$out" | tr -c 'A-Za-z0-9/_.\n-' '_')
    if ! "$compiler" -x "$language" -std="$standard" $flags "$@" "$source" -x none -L"$libdir" -lquillet \
        -Wl,-rpath,"$libdir" -o "$out" 2>"$out.log"; then
        echo "$compiler -std=$standard $*: does not compile"
        cat "$out.log"
        failed=1
        return
    fi
    if ! "$out"; then
        echo "$compiler -std=$standard $*: wrong results"
        failed=1
    fi
    built=$((built + 1))
}

for standard in c89 c99 c11 c17; do
    build_and_run "$cc" c "$standard"
    check_only "$cc" c "$standard" -DQL_TEST_ISO646_FIRST
done
for standard in c++98 c++11 c++14 c++17 c++20; do
    build_and_run "$cxx" c++ "$standard"
    check_only "$cxx" c++ "$standard" -DQL_TEST_ISO646_FIRST
done

# The codes are the #define lines of quillet.h's status block and the negative codes a card
# family's section defines (QL_RESPONSE_TOO_LONG); each needs a row.
{
    sed -n '/@name Status codes/,/@}/p' "$include/quillet.h" | sed -n 's/^#define \(QL_[A-Za-z0-9_]*\) .*/\1/p'
    sed -n 's/^#define \(QL_[A-Za-z0-9_]*\) *(-[0-9]*).*/\1/p' "$include/quillet.h"
} | sort -u >"$work/codes"
sed -n 's/.*QL_STATUS_ROW(\(QL_[A-Za-z0-9_]*\),.*/\1/p' "$include/quillet_status.h" | sort >"$work/rows"
if ! diff -u "$work/codes" "$work/rows"; then
    echo "quillet_status.h lacks rows for codes of quillet.h (-) or names codes it does not have (+)"
    failed=1
fi
[ "$failed" -eq 0 ] && echo "$built builds of the headers compiled; $(wc -l <"$work/rows") status codes have texts"
exit "$failed"

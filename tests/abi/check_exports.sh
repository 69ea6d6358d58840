#!/bin/sh
# check_exports.sh NM LIBRARY DEF: the library's dynamic symbols equal the names listed in DEF.
set -eu
nm=$1 lib=$2 def=$3
expected=$(mktemp) actual=$(mktemp)
trap 'rm -f "$expected" "$actual"' EXIT
sed -n '/^EXPORTS/,$p' "$def" | sed -e '1d' -e 's/;.*//' -e 's/[[:space:]]*@.*//' -e 's/=.*//' |
  awk 'NF {print $1}' | grep -v '@' | sort -u >"$expected"
"$nm" -D --defined-only "$lib" | awk '$2 ~ /^[TDBRW]$/ {print $3}' | sort -u >"$actual"
if ! diff -u "$expected" "$actual"; then
  echo "the exports differ from $def (- listed only, + exported only)"
  exit 1
fi
echo "$(wc -l <"$actual") exports, exactly the listed ones"

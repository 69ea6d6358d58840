#!/bin/sh
# test_install.sh BUILD: builds the Debian package of the build directory, unpacks it into a
# scratch root and uses it there as a user would, against the packaged virtual reader:
# the files and the SONAME, the tool `quillet info`, `import quillet`, and the example program
# built once with pkg-config and once with find_package(quillet). Writes only below a
# temporary directory.
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/quillet-install.XXXXXX)
vreader_pid=""
cleanup() {
  [ -n "$vreader_pid" ] && kill "$vreader_pid" 2>/dev/null && wait "$vreader_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "test-install: $*" >&2; exit 1; }

echo "building the Debian package"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/package/quillet_*.deb)
echo "$(basename "$deb"), depends on: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -c "$deb" >"$work/contents"
for file in usr/include/quillet.h usr/include/quillet_families.h usr/lib/libquillet.so.9.40 usr/lib/libquillet.so.9 usr/lib/libquillet.so \
            usr/lib/pkgconfig/quillet.pc usr/lib/cmake/quillet/quillet-config.cmake usr/bin/quillet \
            usr/bin/quillet-vreader usr/share/man/man1/quillet.1 usr/share/man/man1/quillet-vreader.1 \
            usr/share/doc/quillet/README.md usr/lib/python3/dist-packages/quillet/_signatures.py; do
  grep -q " \./$file\( \|$\)" "$work/contents" || fail "the package lacks /$file"
done
dpkg-deb -I "$deb" postinst | grep -q ldconfig || fail "the package does not run ldconfig after installing"

root="$work/root"
dpkg -x "$deb" "$root"
usr="$root/usr"
readelf -d "$usr/lib/libquillet.so.9.40" | grep -q 'SONAME.*\[libquillet\.so\.9\]' || fail "SONAME is not libquillet.so.9"

"$usr/bin/quillet-vreader" --rate 115200 --card sle4442 >"$work/vreader.out" &
vreader_pid=$!
for _ in $(seq 100); do grep -q '^QUILLET_COM1=' "$work/vreader.out" && break; sleep 0.05; done
QUILLET_COM1=$(sed -n 's/^QUILLET_COM1=//p' "$work/vreader.out")
[ -n "$QUILLET_COM1" ] || fail "the packaged quillet-vreader did not start"
export QUILLET_COM1
export LD_LIBRARY_PATH="$usr/lib"

echo "quillet info --port 0"
"$usr/bin/quillet" info --port 0 --baud 115200 | grep -q '^card  *present' || fail "quillet info"

echo "python3 -c 'import quillet'"
PYTHONPATH="$usr/lib/python3/dist-packages" PYTHONDONTWRITEBYTECODE=1 python3 -c '
import quillet
with quillet.Reader.open(0, 115200) as reader:
    assert reader.card("sle4442").read(0, 4) == bytes.fromhex("A2131091"), "card bytes"
' || fail "the Python package"

expected="card A2131091"
echo "C program with pkg-config --cflags --libs quillet"
flags=$(PKG_CONFIG_PATH="$usr/lib/pkgconfig" pkg-config --cflags --libs quillet)
cc -std=c11 -Wall -Werror "$here/example.c" $flags -o "$work/example"
"$work/example" | grep -q "$expected" || fail "the pkg-config example"

echo "C program with find_package(quillet)"
cmake -S "$here/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$usr" >"$work/consumer.log" 2>&1 || { cat "$work/consumer.log"; fail "find_package(quillet)"; }
cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1 || { cat "$work/consumer.log"; fail "building against quillet::quillet"; }
env -u LD_LIBRARY_PATH "$work/consumer/consumer" | grep -q "$expected" || fail "the find_package example"
echo "test-install: the package installs and works"

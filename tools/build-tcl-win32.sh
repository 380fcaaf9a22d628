#!/bin/sh
# Cross-builds Tcl 8.6 for Windows from Debian's tcl8.6 source package and
# installs it under build/tcl-ARCH/ (or PREFIX).
#
# Usage: tools/build-tcl-win32.sh [ARCH [PREFIX]]
#   ARCH  win32 (default): 32-bit, i686 mingw-w64
#         win64: 64-bit, x86_64 mingw-w64
#
# The source comes through `apt-get source` with a private apt configuration
# (its own sources.list holding one deb-src line, its own lists and cache), so
# the machine's own apt sources are neither read nor changed. Nothing of Tcl's
# source is kept in the repository; the result is cached and a second run with
# a complete install does nothing.
#
# zlib is compiled into tcl86.dll instead of linking the prebuilt zlib1.dll
# that the source tarball carries: the program then needs tcl86.dll alone.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-win32}
case $arch in
win32) host=i686-w64-mingw32 bits= ;;
win64) host=x86_64-w64-mingw32 bits=--enable-64bit ;;
*) echo "build-tcl-win32: unknown architecture '$arch' (win32 or win64)" >&2; exit 1 ;;
esac
prefix=${2:-$root/build/tcl-$arch}
stamp=$prefix/.complete

if [ -f "$stamp" ]; then
    exit 0
fi

for tool in $host-gcc apt-get tar make; do
    command -v "$tool" >/dev/null 2>&1 || { echo "build-tcl-win32: $tool is missing" >&2; exit 1; }
done

work=$prefix.work
rm -rf "$work"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/apt/parts"

# The mirror the machine already uses for bookworm, so the source comes from
# where its binary packages come from.
mirror=$(grep -rhE '^[[:space:]]*(URIs:|deb[[:space:]])' /etc/apt/sources.list /etc/apt/sources.list.d 2>/dev/null \
         | grep -oE 'https?://[^ ]+/debian/?' | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${mirror%/} bookworm main" \
    > "$work/apt/sources.list"

apt() {
    apt-get -q \
        -o Dir::Etc::SourceList="$work/apt/sources.list" \
        -o Dir::Etc::SourceParts="$work/apt/parts" \
        -o Dir::State::Lists="$work/apt/lists" \
        -o Dir::Cache="$work/apt/cache" \
        -o APT::Sandbox::User=root \
        "$@"
}

echo "build-tcl-win32: fetching the tcl8.6 source package"
apt update >/dev/null
(cd "$work" && apt source --download-only tcl8.6 >/dev/null)

orig=$(ls "$work"/tcl8.6_*.orig.tar.* | head -n 1)
tar -xf "$orig" -C "$work"
src=$(ls -d "$work"/tcl8.6.*/ | head -n 1)

echo "build-tcl-win32: configuring for $host"
cd "$src/win"
./configure --host=$host --prefix="$prefix" --enable-threads $bits >"$work/configure.log" 2>&1 \
    || { tail -n 30 "$work/configure.log" >&2; exit 1; }

# Compile zlib into the DLL: add its objects, drop the prebuilt import
# library and the zlib1.dll copy.
sed -i \
    -e 's|^\(TCL_OBJS[[:space:]]*=.*\)$|\1 ${ZLIB_OBJS}|' \
    -e 's|\$(shell \$(CYGPATH) '"'"'[^'"'"']*zdll\.lib'"'"')||' \
    -e 's|^\(SHARED_LIBRARIES[[:space:]]*=[[:space:]]*\$(TCL_DLL_FILE)\).*$|\1|' \
    Makefile

echo "build-tcl-win32: building (log: $work/make.log)"
make -j2 >"$work/make.log" 2>&1 || { tail -n 40 "$work/make.log" >&2; exit 1; }
make install >>"$work/make.log" 2>&1 || { tail -n 40 "$work/make.log" >&2; exit 1; }

# Nothing of the source or the objects stays behind.
cd "$root"
rm -rf "$work"
touch "$stamp"
echo "build-tcl-win32: installed in $prefix"

#!/usr/bin/env bash
# Builds the Debian packages vesk2b, libkestrum1 and libkestrum-dev from
# debian/ with dpkg-buildpackage, in a copy of the sources (dpkg-buildpackage
# writes beside the source folder and builds inside it), and puts the .debs
# into OUT_DIR. The copy is the working tree as it is, committed or not.
# lintian then checks them: an error or a warning fails the build, and the
# informational tags are printed.
# Usage: tools/build-debs.sh OUT_DIR
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:?usage: build-debs.sh OUT_DIR}")
version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
work=$out/debian-build
copy=$work/vesk2b-$version

rm -rf "$work"
mkdir -p "$copy"
(cd "$source_dir" && git ls-files -z --cached --others --exclude-standard \
    | while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done \
    | tar --null -T - -cf -) | tar -xf - -C "$copy"
(cd "$copy" && DEB_BUILD_OPTIONS="parallel=$(nproc) noddebs" \
    dpkg-buildpackage -b -us -uc >"$work/build.log" 2>&1) || {
    tail -40 "$work/build.log" >&2
    echo "FAILED: dpkg-buildpackage (log: $work/build.log)" >&2
    exit 1
}
mv "$work"/*.deb "$out"/
rm -rf "$copy"
debs=("$out"/vesk2b_"$version"_*.deb "$out"/vesk2b-dev_"$version"_*.deb "$out"/libkestrum1_"$version"_*.deb "$out"/libkestrum-dev_"$version"_*.deb)
lintian --display-info --fail-on error,warning "${debs[@]}" 2>/dev/null \
    || { echo "FAILED: lintian found errors or warnings" >&2; exit 1; }
echo "lintian: no errors, no warnings"
ls "${debs[@]}"

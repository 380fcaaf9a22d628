#!/usr/bin/env bash
# Makes the Windows installer vesk2b-<version>-<arch>-setup.exe from a built
# Windows preset: installs the build into a staging folder, lists its files
# for the installer and the uninstaller, and runs makensis on
# cmake/vesk2b.nsi. The architecture (win32, win64) comes from the build;
# the installer itself is a 32-bit program, or what VESK_INSTALLER_TARGET
# names (amd64-unicode: a 64-bit one).
# Usage: tools/make-installer.sh BUILD_DIR OUT_DIR
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:?usage: make-installer.sh BUILD_DIR OUT_DIR}")
out=$(realpath -m "${2:?usage: make-installer.sh BUILD_DIR OUT_DIR}")
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache_value CMAKE_PROJECT_VERSION)
arch=win32
case $(cache_value CMAKE_CXX_COMPILER) in *x86_64*) arch=win64 ;; esac

work=$out/installer-$arch
stage=$work/stage
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$stage" >"$work/install.log"

# Every folder once (parents first) with its files; the uninstaller deletes
# the same files and then the folders, deepest first, if they are empty.
windows() { tr / '\\' <<<"$1"; }
{
    while IFS= read -r dir; do
        rel=${dir#.}; rel=${rel#/}
        echo "SetOutPath \"\$INSTDIR$( [ -n "$rel" ] && echo "\\$(windows "$rel")")\""
        find "$stage/$rel" -maxdepth 1 -type f -printf '%f\n' | sort | while IFS= read -r f; do
            echo "File \"$stage/${rel:+$rel/}$f\""
        done
    done < <(cd "$stage" && find . -type d | sort)
} >"$work/files.nsh"
{
    (cd "$stage" && find . -type f -printf '%P\n' | sort) | while IFS= read -r f; do
        echo "Delete \"\$INSTDIR\\$(windows "$f")\""
    done
    (cd "$stage" && find . -mindepth 1 -type d -printf '%P\n' | sort -r) | while IFS= read -r d; do
        echo "RMDir \"\$INSTDIR\\$(windows "$d")\""
    done
} >"$work/unfiles.nsh"

setup=$out/vesk2b-$version-$arch-setup.exe
makensis -V2 ${VESK_INSTALLER_TARGET:+-DTARGET="$VESK_INSTALLER_TARGET"} -DARCH="$arch" -DVERSION="$version" -DSTAGE="$stage" \
    -DICON="$build/platform/win32/vesk2b.ico" -DFILES="$work/files.nsh" \
    -DUNFILES="$work/unfiles.nsh" -DOUTFILE="$setup" "$source_dir/cmake/vesk2b.nsi" >"$work/makensis.log" \
    || { cat "$work/makensis.log" >&2; echo "FAILED: makensis" >&2; exit 1; }

echo "$setup"

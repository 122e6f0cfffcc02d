#!/usr/bin/env bash
# infdump prints the same report for every sample INF on winsim (Linux build) and under Wine (Windows
# build): the x86 build on Windows XP against winsim's xp-sp2, the x64 build on Windows Vista against
# vista-x64. Reports are compared without regard to case (Wine names its folders C:\windows\...). What
# differs is Wine's, and is listed in tests/data/infdump/wine-ARCH.diff: the comparison fails when the
# difference changes, in either direction.
set -uo pipefail
src=$1
bin=$2
root="$src/build"
winsim="$bin/winsim"
if ! command -v wine >/dev/null; then
    echo "infdump_platforms: wine is not installed; skipped"
    exit 77
fi
for arch in x86 x64; do
    if [ ! -f "$root/mingw-$arch/infdump.exe" ]; then
        echo "infdump_platforms: $root/mingw-$arch/infdump.exe is not built; skipped"
        exit 77
    fi
done

work=$(mktemp -d /dev/shm/infdump-XXXXXX)
trap 'rm -rf "$work"' EXIT
. "$src/scripts/wine-prefix.sh"
status=0

for arch in x86 x64; do
    profile=xp-sp2
    [ "$arch" = x64 ] && profile=vista-x64

    machine="$work/$arch-machine"
    "$winsim" new "$src/profiles/$profile" "$machine" >/dev/null &&
        "$winsim" put "$machine" "$src/samples/package" 'C:\INFDUMP' >/dev/null &&
        "$winsim" put "$machine" "$src/samples/package-win9x" 'C:\INFDUMP' >/dev/null &&
        "$winsim" image "$machine" infdump 'C:\TOOLS\INFDUMP.EXE' >/dev/null || {
        echo "infdump_platforms: could not prepare the winsim machine"
        exit 1
    }
    "$winsim" run "$machine" -- 'C:\TOOLS\INFDUMP.EXE' 'C:\INFDUMP' >"$work/$arch.winsim" 2>&1
    echo "exit code $?" >>"$work/$arch.winsim"

    (
        wine_prefix_setup "$root" "$arch"
        flock 9
        wine_prefix_reset
        wine_windows_version infdump.exe "$arch"
        rm -rf "$WINEPREFIX/drive_c/INFDUMP"
        cp -r "$src/samples/package" "$WINEPREFIX/drive_c/INFDUMP"
        cp -r "$src/samples/package-win9x/." "$WINEPREFIX/drive_c/INFDUMP"
        wine "$root/mingw-$arch/infdump.exe" 'C:\INFDUMP' 2>&1 | tr -d '\r' >"$work/$arch.wine"
        echo "exit code ${PIPESTATUS[0]}" >>"$work/$arch.wine"
        rm -rf "$WINEPREFIX/drive_c/INFDUMP"
        wineserver -w
    ) 9>"$root/wine.lock"

    tr 'a-z' 'A-Z' <"$work/$arch.winsim" >"$work/$arch.winsim.folded"
    tr 'a-z' 'A-Z' <"$work/$arch.wine" >"$work/$arch.wine.folded"
    diff "$work/$arch.winsim.folded" "$work/$arch.wine.folded" | grep '^[<>]' >"$work/$arch.diff"
    expected="$src/tests/data/infdump/wine-$arch.diff"
    if ! diff -u "$expected" "$work/$arch.diff"; then
        echo "infdump_platforms: the $arch reports differ from winsim's otherwise than $expected lists"
        status=1
    fi
    echo "infdump_platforms: $arch: $(grep -c '^INF = ' "$work/$arch.winsim") INFs," \
        "$(wc -l <"$work/$arch.diff") differing lines, all listed as Wine's"
done
exit $status

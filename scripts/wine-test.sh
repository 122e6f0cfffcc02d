#!/usr/bin/env bash
# Runs the Windows build's conformance tests under Wine, headless.
#   scripts/wine-test.sh BUILD_ROOT x86|x64 [gtest arguments...]
# One Wine prefix under BUILD_ROOT/wine is made once; its registry files are saved then, and restored
# before every run so that each run starts from the same machine.
set -uo pipefail
root=$(cd "${1:?build root}" && pwd)
arch=${2:?x86 or x64}
shift 2
exe="$root/mingw-$arch/conformance_tests.exe"
if [ ! -f "$exe" ]; then
    echo "wine-test: $exe is not built; skipped"
    exit 77
fi
if ! command -v wine >/dev/null; then
    echo "wine-test: wine is not installed; skipped"
    exit 77
fi

export WINEPREFIX="$root/wine/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
saved="$root/wine/saved"

(
    flock 9
    if [ ! -f "$saved/system.reg" ]; then
        rm -rf "$WINEPREFIX" "$saved"
        mkdir -p "$WINEPREFIX" "$saved"
        wineboot -i >/dev/null 2>&1
        # Headless: the null graphics driver, for the dialog tests to come.
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
        cp "$WINEPREFIX"/*.reg "$saved"/
    fi
    wineserver -k >/dev/null 2>&1
    cp "$saved"/*.reg "$WINEPREFIX"/
    rm -rf "$WINEPREFIX/drive_c/users/$(whoami)/Temp/"drvsetup-test-* 2>/dev/null
    wine "$exe" --gtest_color=no "$@"
    status=$?
    wineserver -w
    exit $status
) 9>"$root/wine.lock"

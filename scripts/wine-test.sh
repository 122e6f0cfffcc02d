#!/usr/bin/env bash
# Runs the Windows build's conformance tests under Wine, headless.
#   scripts/wine-test.sh BUILD_ROOT x86|x64 [gtest arguments...]
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
. "$(dirname "$0")/wine-prefix.sh"
wine_prefix_setup "$root" "$arch"

(
    flock 9
    wine_prefix_reset
    wine_windows_version conformance_tests.exe "$arch"
    rm -rf "$WINEPREFIX/drive_c/users/$(whoami)/Temp/"drvsetup-test-* 2>/dev/null
    wine "$exe" --gtest_color=no "$@"
    status=$?
    wineserver -w
    exit $status
) 9>"$WINE_LOCK"

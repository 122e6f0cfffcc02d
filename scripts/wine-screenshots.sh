#!/usr/bin/env bash
# Pictures of the progress and plug-in dialogs (102, 103, 147) as the real USER32 draws them: the Windows
# build's dialog conformance tests under Wine with its X11 driver on a virtual screen (Xvfb), saving each
# dialog as PNG into BUILD_ROOT/mingw-ARCH/screens/. No window manager runs on the virtual screen, so the
# pictures show the dialogs' client areas under an empty caption.
#   scripts/wine-screenshots.sh BUILD_ROOT [x86|x64]
set -uo pipefail
root=$(cd "${1:?build root}" && pwd)
arch=${2:-x86}
exe="$root/mingw-$arch/conformance_tests.exe"
if [ ! -f "$exe" ]; then
    echo "wine-screenshots: $exe is not built; skipped"
    exit 77
fi
for tool in wine xvfb-run; do
    if ! command -v "$tool" >/dev/null; then
        echo "wine-screenshots: $tool is not installed; skipped"
        exit 77
    fi
done
. "$(dirname "$0")/wine-prefix.sh"
wine_prefix_setup "$root" "$arch"
out="$root/mingw-$arch/screens"
mkdir -p "$out"
rm -f "$out"/dialog-*.png

(
    flock 9
    wine_prefix_reset
    wine_windows_version conformance_tests.exe "$arch"
    # Drawn for real this time: the X11 driver on the virtual screen instead of the null driver.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
    wineserver -w
    DRVSETUP_SCREENSHOTS=$(winepath -w "$out" 2>/dev/null) \
        xvfb-run -a -s "-screen 0 1024x768x24" wine "$exe" --gtest_color=no --gtest_filter='DialogResourceTest.*'
    status=$?
    wineserver -w
    exit $status
) 9>"$WINE_LOCK"
status=$?
ls "$out"/dialog-*.png 2>/dev/null
exit $status

#!/usr/bin/env bash
# Pictures of the program's windows as the real USER32 draws them, under Wine with its X11 driver on a
# virtual screen (Xvfb), saved as PNG into BUILD_ROOT/mingw-ARCH/screens/:
#  - the progress and plug-in dialogs (102, 103, 147): the dialog conformance tests save each one. No window
#    manager runs on the virtual screen, so these show the dialogs' client areas under an empty caption;
#  - the wizard (x86 only): Setup.exe itself with the sample package and -PREVIEW, which shows the two test
#    rows in every screen without installing anything: the splash with the busy window over it, the
#    confirmation list (dialog 142, Device / Task) and, with -S3 (no confirmation), the result list
#    (Device / Result). Each is taken from the screen (xwd) as soon as its window is up, frame and caption
#    included, as Wine draws them itself without a window manager.
#   scripts/wine-screenshots.sh BUILD_ROOT [x86|x64]
set -uo pipefail
root=$(cd "${1:?build root}" && pwd)
arch=${2:-x86}
src=$(cd "$(dirname "$0")/.." && pwd)
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
rm -f "$out"/dialog-*.png "$out"/wizard-*.png

# wizard_shot DISPLAY TITLE MIN_WIDTH FILE [full]: waits (up to 60 s) for a top-level window of that title
# at least MIN_WIDTH pixels wide, then saves it (or, with "full", the whole screen) as FILE.
wizard_shot() {
    local display=$1 title=$2 min_width=$3 file=$4 full=${5:-} geometry="" tries=0
    while [ -z "$geometry" ] && [ $tries -lt 120 ]; do
        sleep 0.5
        tries=$((tries + 1))
        # xwininfo's lines: 0x... "TITLE": ("class" "class")  WxH+X+Y  +X+Y (top-level: both the same)
        geometry=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -F "\"$title\"" |
            awk -v min="$min_width" '{ for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+[+-]/) {
                split($i, g, /x/); if (g[1] + 0 >= min) { print $i; exit } } }')
    done
    if [ -z "$geometry" ]; then
        echo "wine-screenshots: no window \"$title\" of $min_width pixels or wider came up for $file"
        return 1
    fi
    # A moment for the window to paint, then the screen.
    sleep 1.5
    if [ "$full" = full ]; then
        DISPLAY=$display xwd -root -silent | convert xwd:- "$file"
    else
        DISPLAY=$display xwd -root -silent | convert xwd:- -crop "$geometry" +repage "$file"
    fi
}

# wizard_run DISPLAY ARGS...: Setup.exe from C:\DRIVERS with the arguments, in the background.
wizard_run() {
    local display=$1
    shift
    (cd "$WINEPREFIX/drive_c/DRIVERS" && DISPLAY=$display wine 'C:\DRIVERS\Setup.exe' "$@" >/dev/null 2>&1) &
}

(
    flock 9
    wine_prefix_reset
    wine_windows_version conformance_tests.exe "$arch"
    # Asked before the switch to X11: a Wine process started without a display while the X11 driver is
    # chosen leaves a desktop without one, on which no later window of the session can be made.
    folder=$(winepath -w "$out" 2>/dev/null)
    # Drawn for real this time: the X11 driver on the virtual screen instead of the null driver.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
    wineserver -w
    DRVSETUP_SCREENSHOTS=$folder \
        xvfb-run -a -s "-screen 0 1024x768x24" wine "$exe" --gtest_color=no --gtest_filter='DialogResourceTest.*'
    status=$?
    wineserver -w

    setup="$root/mingw-$arch/Setup.exe"
    if [ "$arch" = x86 ] && [ -f "$setup" ]; then
        if ! command -v xwd >/dev/null || ! command -v xwininfo >/dev/null || ! command -v convert >/dev/null; then
            echo "wine-screenshots: xwd, xwininfo (x11-apps, x11-utils) or convert (imagemagick) missing; no wizard pictures"
        else
            drivers="$WINEPREFIX/drive_c/DRIVERS"
            rm -rf "$drivers"
            cp -r "$src/samples/package" "$drivers"
            cp "$setup" "$drivers/Setup.exe"
            wine_windows_version Setup.exe "$arch"
            # Windows draw their own frames and captions: no window manager decorates them.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
            wineserver -w
            display=:$((90 + $$ % 100))
            Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
            xvfb=$!
            sleep 1
            title="Device driver installation wizard"
            # The list is 378 dialog units wide (567 pixels), the busy window 281 (422 pixels).
            wizard_run "$display" -PREVIEW
            wizard_shot "$display" "$title" 300 "$out/wizard-splash-busy.png" full || status=1
            wizard_shot "$display" "$title" 500 "$out/wizard-142-confirmation.png" || status=1
            wineserver -k >/dev/null 2>&1
            wineserver -w
            wizard_run "$display" -PREVIEW -S3
            wizard_shot "$display" "$title" 500 "$out/wizard-142-results.png" || status=1
            wineserver -k >/dev/null 2>&1
            wineserver -w
            kill "$xvfb" 2>/dev/null
            wait "$xvfb" 2>/dev/null
        fi
    fi
    exit $status
) 9>"$WINE_LOCK"
status=$?
ls "$out"/dialog-*.png "$out"/wizard-*.png 2>/dev/null
exit $status

#!/usr/bin/env bash
# The program's main job on the bundled default machine: a fresh Windows XP SP2 machine with the sample
# package under C:\DRIVERS, installed silently ("-S -L -F2"), then a second run that upgrades it.
# INTERACTIVE=1 runs the wizard instead and prints each screen as `winsim screen` shows it.
set -euo pipefail
bin=${1:?build folder}
machine=${2:?machine folder}
winsim="$bin/winsim"

rm -rf "$machine"
"$winsim" new profiles/xp-sp2 "$machine" >/dev/null
"$winsim" put "$machine" samples/package 'C:\DRIVERS' >/dev/null
"$winsim" image "$machine" setup 'C:\DRIVERS\Setup.exe' >/dev/null
# The package's hardware-detection library: the sample that answers from the machine's device list.
"$winsim" image "$machine" dvxdll 'C:\DRIVERS\DVXDLL.DLL' >/dev/null

run_setup() {
    echo "== winsim run $machine -- 'C:\\DRIVERS\\Setup.exe' $*"
    set +e
    "$winsim" run "$machine" -- 'C:\DRIVERS\Setup.exe' "$@"
    code=$?
    set -e
    echo "== exit code $code"
}

show_results() {
    echo "== result rows (trace log)"
    "$winsim" cat "$machine" 'C:\DRIVERS\NORVALIS_INSTALL.LOG' | tr -d '\r' |
        grep -E 'csDeviceDesc = .*SetupStatus|SetFinalISStatus : b|REQUEST_USER_TO_PLUGIN' | sed 's/^ *//' || true
    echo "== C:\\DRIVERS\\SETUP.LOG"
    "$winsim" cat "$machine" 'C:\DRIVERS\SETUP.LOG' | tr -d '\r' || true
    echo "== trace log: $machine/drive/c/DRIVERS/NORVALIS_INSTALL.LOG"
}

echo "== devices before"
"$winsim" devices "$machine"

if [ "${INTERACTIVE:-0}" = "1" ]; then
    # The wizard with its screens: the user presses OK on the confirmation and on the result list, three
    # seconds after each appears. winsim writes every screen the program shows while it is up.
    screens="$machine.screens"
    rm -rf "$screens"
    answer='window:Device driver installation wizard=OK@3'
    echo "== winsim run $machine --screens $screens --answer '$answer' -- 'C:\\DRIVERS\\Setup.exe' -L"
    set +e
    "$winsim" run "$machine" --screens "$screens" --answer "$answer" -- 'C:\DRIVERS\Setup.exe' -L
    code=$?
    set -e
    echo "== exit code $code"
    for screen in "$screens"/screen-*.txt; do
        [ -f "$screen" ] || continue
        echo "== $(head -n 1 "$screen") ($(basename "$screen" .txt).png beside it)"
        tail -n +2 "$screen"
    done
    echo "== the screens' pictures: $screens/"
    echo "== trace log: $machine/drive/c/DRIVERS/NORVALIS_INSTALL.LOG"
else
    run_setup -S -L -F2
    show_results
    echo "== devices after"
    "$winsim" devices "$machine"
    run_setup -S -L -F2
    echo "== second run: result rows"
    show_results
fi
# The program's exit codes are shown above; the demo itself succeeded.
exit 0

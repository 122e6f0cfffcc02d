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

# The lines of the trace log that belong to the last run (each run starts with its RunSetupApp line).
last_run_log() {
    "$winsim" cat "$machine" 'C:\DRIVERS\NORVALIS_INSTALL.LOG' | tr -d '\r' |
        awk '/ENTRY: CSetupApp::RunSetupApp/ { n = 0 } { lines[n++] = $0 } END { for (i = 0; i < n; i++) print lines[i] }'
}

# One line a device of `winsim devices`: instance, description, driver key, state.
device_table() {
    echo "== devices $1"
    "$winsim" devices "$machine" | awk '
        function flush() { if (id != "") printf "  %-76s  %-38s  %-44s  %s\n", id, desc, drv, st }
        /^ *[A-Z]+\\/ && !/:/ { flush(); id = $1; desc = drv = st = "" ; next }
        /^ *description:/ { sub(/^ *description: */, ""); desc = $0 }
        /^ *driver:/ { sub(/^ *driver: */, ""); drv = $0 }
        /^ *status:/ { sub(/^ *status: */, ""); st = $0 }
        END { flush() }
        BEGIN { printf "  %-76s  %-38s  %-44s  %s\n", "instance", "description", "driver", "state" }'
}

show_results() {
    echo "== result rows (device, status; trace log)"
    last_run_log | sed -n 's/^.*csDeviceDesc = \(.*\), SetupStatus = \(.*\)$/  \1 : \2/p'
    last_run_log | grep -E 'SetFinalISStatus : b|REQUEST_USER_TO_PLUGIN' | sed 's/^[0-9:. ]*: *//; s/^/  /' || true
    # The USB DSL modem is not plugged in: the hardware test leaves it out of the devices to install, so a
    # silent run neither installs it nor asks for it.
    echo "== the USB DSL modem (USB\\VID_F0E1&PID_3A01)"
    last_run_log | awk '/TestIfHardwareExists : pszDeviceID = VID_F0E1&PID_3A01/ { want = 1 }
        want && /EXIT:  CDVXDLL::TestIfHardwareExists/ { sub(/^[0-9:. ]*: */, ""); print "  hardware test: " $0; want = 0 }'
    if last_run_log | grep -q 'Install this device = USB\\VID_F0E1&PID_3A01'; then
        echo "  present: in the devices to install"
    else
        echo "  not plugged in: not among the devices to install, no plug-in prompt"
    fi
    echo "== C:\\DRIVERS\\SETUP.LOG"
    "$winsim" cat "$machine" 'C:\DRIVERS\SETUP.LOG' | tr -d '\r' || true
    echo "== trace log: $machine/drive/c/DRIVERS/NORVALIS_INSTALL.LOG"
}

device_table before

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
    device_table after
    echo "== the same package again: the devices it installed are upgraded"
    run_setup -S -L -F2
    show_results
fi
# The program's exit codes are shown above; the demo itself succeeded.
exit 0

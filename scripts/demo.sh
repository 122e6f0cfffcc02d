#!/usr/bin/env bash
# The program's main job on the bundled default machine: a fresh Windows XP SP2 machine with the sample
# package under C:\DRIVERS, Setup.exe run with its trace log on.
set -euo pipefail
bin=${1:?build folder}
machine=${2:?machine folder}
winsim="$bin/winsim"

rm -rf "$machine"
"$winsim" new profiles/xp-sp2 "$machine"
"$winsim" put "$machine" samples/package 'C:\DRIVERS'
"$winsim" image "$machine" setup 'C:\DRIVERS\Setup.exe'
# The package's hardware-detection library: the sample that answers from the machine's device list.
"$winsim" image "$machine" dvxdll 'C:\DRIVERS\DVXDLL.DLL'

echo "== C:\\DRIVERS"
"$winsim" ls "$machine" 'C:\DRIVERS'
echo "== winsim run $machine -- 'C:\\DRIVERS\\Setup.exe' -L"
set +e
"$winsim" run "$machine" -- 'C:\DRIVERS\Setup.exe' -L
code=$?
set -e
echo "== exit code $code"
echo "== C:\\DRIVERS\\NORVALIS_INSTALL.LOG"
"$winsim" cat "$machine" 'C:\DRIVERS\NORVALIS_INSTALL.LOG' | tr -d '\r'
echo "== what the run changed (winsim journal)"
"$winsim" journal "$machine"
# The program's exit code is shown above; the demo itself succeeded.
exit 0

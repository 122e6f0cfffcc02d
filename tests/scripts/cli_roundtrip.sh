#!/usr/bin/env bash
# The winsim command as a user meets it: a machine from a profile, its registry as REGEDIT4, files copied
# in and read back under another case, and the program refusing to start outside a machine.
set -u
src="$1"
bin="$2"
W="$bin/winsim"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$W" new "$src/profiles/xp-sp2" "$work/m" || fail "winsim new"
"$W" new "$src/profiles/xp-sp2" "$work/m" 2>/dev/null && fail "winsim new over an existing machine succeeded"

out=$("$W" reg "$work/m" export 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion') || fail "winsim reg export"
[ "$(printf '%s' "$out" | head -1 | tr -d '\r')" = "REGEDIT4" ] || fail "export does not start with REGEDIT4"
printf '%s' "$out" | grep -q '^\[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\]' ||
    fail "export lacks the key line"
printf '%s' "$out" | grep -q '"ProgramFilesDir"="C:\\\\Program Files"' || fail "export lacks ProgramFilesDir"
printf '%s' "$out" | grep -q '^\[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\]' ||
    fail "export lacks the subkeys"

printf 'Mixed case content\r\n' > "$work/ReadMe.Txt"
"$W" put "$work/m" "$work/ReadMe.Txt" 'C:\Pkg\Sub\ReadMe.Txt' || fail "winsim put"
"$W" ls "$work/m" 'c:\PKG\sub' | grep -q 'ReadMe.Txt' || fail "ls does not show the file with its case"
[ "$("$W" cat "$work/m" 'C:\pkg\SUB\readme.txt')" = "$(cat "$work/ReadMe.Txt")" ] || fail "cat under another case"
"$W" cat "$work/m" 'C:\pkg\none.txt' 2>/dev/null && fail "cat of a missing file succeeded"

# The Linux setup runs only inside a machine.
msg=$("$bin/setup" 2>&1)
code=$?
[ $code -eq 1 ] || fail "setup outside a machine exited $code"
[ "$(printf '%s\n' "$msg" | wc -l)" -eq 1 ] || fail "setup outside a machine said more than one line: $msg"

# Inside one, it runs and its trace log lands beside it.
"$W" image "$work/m" setup 'C:\Pkg\Setup.exe' || fail "winsim image"
# An install without the wizard in this build ends with exit code 1 and says so in its log.
WINSIM_BIN="$bin" "$W" run "$work/m" -- 'C:\Pkg\Setup.exe' -L
code=$?
[ $code -eq 1 ] || fail "winsim run setup -L exited $code"
"$W" cat "$work/m" 'C:\Pkg\NORVALIS_INSTALL.LOG' | grep -q 'ENTRY: CSetupApp::RunSetupApp : GDVX Modem Build' ||
    fail "trace log lacks the entry line"
"$W" journal "$work/m" | grep -q 'NORVALIS_INSTALL.LOG' || fail "journal lacks the log file"
echo "PASS"

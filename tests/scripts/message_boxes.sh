#!/usr/bin/env bash
# Message box answers as `winsim run` takes them (a malformed rule stops it before the program starts), and
# `winsim screen` on a new machine and after a run.
set -u
src="$1"
bin="$2"
W="$bin/winsim"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$W" new "$src/profiles/xp-sp2" "$work/m" || fail "winsim new"
out=$("$W" screen "$work/m") || fail "winsim screen on a new machine"
printf '%s\n' "$out" | grep -q '^Windows (topmost first):' || fail "screen lacks the windows: $out"
printf '%s\n' "$out" | grep -q 'no program has run' || fail "screen on a new machine: $out"
"$W" screen 2>/dev/null && fail "screen without a machine succeeded"

"$W" image "$work/m" setup 'C:\Pkg\Setup.exe' || fail "winsim image"
msg=$(WINSIM_BIN="$bin" "$W" run "$work/m" --answer 'WARNING=IDMAYBE' -- 'C:\Pkg\Setup.exe' -L 2>&1)
code=$?
[ $code -eq 2 ] || fail "a malformed answer exited $code"
printf '%s\n' "$msg" | grep -q 'IDMAYBE' || fail "the refusal does not name the bad answer: $msg"
"$W" journal "$work/m" | grep -q 'process' && fail "the program ran despite a malformed answer"

# Whatever the program's exit code, it must have started with the answers handed over.
WINSIM_BIN="$bin" "$W" run "$work/m" --answer 'WARNING=IDOK' --answer 'text:*Cancel*=IDCANCEL,default' \
    -- 'C:\Pkg\Setup.exe' -L
"$W" journal "$work/m" | grep -q 'process *start' || fail "the program did not start with answers given"
out=$("$W" screen "$work/m") || fail "winsim screen after a run"
printf '%s\n' "$out" | grep -q 'Message boxes of process [0-9]* (C:\\Pkg\\Setup.exe)' ||
    fail "screen does not name the last program: $out"
echo "PASS"

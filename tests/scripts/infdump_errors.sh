#!/usr/bin/env bash
# infdump on bad input: one clear line on the error stream and exit code 1; good INFs of the same folder
# are still reported.
set -uo pipefail
src=$1
bin=$2
winsim="$bin/winsim"
work=$(mktemp -d /dev/shm/infdump-errors-XXXXXX)
trap 'rm -rf "$work"' EXIT
machine="$work/machine"
mkdir -p "$work/mixed" "$work/empty"
cp "$src/samples/package/MDMSAMPL.INF" "$work/mixed/"
printf 'MZ\x90\x00\x03\x00\x00\x00' >"$work/mixed/BINARY.INF"
printf '[Strings]\r\nA="b"\r\n' >"$work/mixed/NOVERSION.INF"
printf 'readme\r\n' >"$work/empty/README.TXT"
"$winsim" new "$src/profiles/xp-sp2" "$machine" >/dev/null &&
    "$winsim" put "$machine" "$work/mixed" 'C:\MIXED' >/dev/null &&
    "$winsim" put "$machine" "$work/empty" 'C:\EMPTY' >/dev/null &&
    "$winsim" image "$machine" infdump 'C:\TOOLS\INFDUMP.EXE' >/dev/null || exit 1

status=0
# expect ARGUMENT EXIT STDERR-LINE [STDOUT-PATTERN]
expect() {
    "$winsim" run "$machine" -- 'C:\TOOLS\INFDUMP.EXE' "$1" >"$work/out" 2>"$work/err"
    local code=$?
    if [ "$code" != "$2" ] || ! grep -qxF "$3" "$work/err" || [ "$(wc -l <"$work/err")" -gt "${5:-1}" ]; then
        echo "infdump '$1': exit $code (want $2); error stream:"; cat "$work/err"
        echo "  wanted the line: $3"
        status=1
    fi
    if [ -n "${4:-}" ] && ! grep -q "$4" "$work/out"; then
        echo "infdump '$1': the report lacks '$4'"; cat "$work/out"
        status=1
    fi
}
expect 'C:\ABSENT.INF' 1 'infdump: C:\ABSENT.INF: no such file or folder'
expect 'C:\EMPTY' 1 'infdump: C:\EMPTY: the folder holds no INF files'
expect '' 1 'usage: infdump PATH (an INF file or a folder of INF files)'
expect 'C:\MIXED\BINARY.INF' 1 'infdump: C:\MIXED\BINARY.INF: not a text file'
expect 'C:\MIXED\NOVERSION.INF' 1 'infdump: C:\MIXED\NOVERSION.INF: cannot be read as an INF (error 0xE0000100 ERROR_WRONG_INF_STYLE)'
# A folder with one good INF among bad ones: the good one is reported, the run still fails.
expect '"C:\MIXED\"' 1 'infdump: C:\MIXED\BINARY.INF: not a text file' 'ManufacturerTag = Models.NTx86.5.1' 2
exit $status

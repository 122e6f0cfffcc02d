#!/usr/bin/env bash
# The Windows builds are PE32 and PE32+ programs that need nothing but system DLLs.
set -u
root="$1/build"
status=0
check() {
    local exe=$1 kind=$2 objdump=$3
    if [ ! -f "$exe" ]; then
        echo "SKIP: $exe not built"
        return 77
    fi
    file "$exe" | grep -q "$kind" || { echo "FAIL: $exe is not $kind"; return 1; }
    local dlls
    dlls=$($objdump -p "$exe" | awk '/DLL Name:/ {print toupper($3)}' | sort -u)
    for dll in $dlls; do
        case "$dll" in
            KERNEL32.DLL|ADVAPI32.DLL|USER32.DLL|GDI32.DLL|SHELL32.DLL|COMCTL32.DLL|COMDLG32.DLL|OLE32.DLL|\
            OLEAUT32.DLL|MSVCRT.DLL|VERSION.DLL|SETUPAPI.DLL|CFGMGR32.DLL|NEWDEV.DLL|CRYPT32.DLL|WINMM.DLL|\
            PSAPI.DLL|NTDLL.DLL|WS2_32.DLL) ;;
            *) echo "FAIL: $exe needs $dll"; return 1 ;;
        esac
    done
    echo "ok: $exe ($kind; $(echo $dlls))"
}
check "$root/mingw-x86/Setup.exe" "PE32 executable" i686-w64-mingw32-objdump; r1=$?
check "$root/mingw-x64/SETUP64.EXE" "PE32+ executable" x86_64-w64-mingw32-objdump; r2=$?
[ $r1 -eq 1 ] || [ $r2 -eq 1 ] && exit 1
[ $r1 -eq 77 ] && [ $r2 -eq 77 ] && exit 77
exit 0

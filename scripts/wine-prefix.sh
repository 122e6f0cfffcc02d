# Sourced by the scripts that run the Windows build under Wine, headless.
# The x86 build runs in a 32-bit prefix (a 32-bit machine, as Windows XP is), the x64 build in a 64-bit one.
# Each prefix under BUILD_ROOT/wine is made once; its registry files are saved then, and restored before
# every run so that each run starts from the same machine. Runs are serialised with a lock.

# wine_prefix_setup BUILD_ROOT ARCH: exports the Wine environment for the prefix of that build.
wine_prefix_setup() {
    local name=prefix saved=saved
    export WINEARCH=win64
    if [ "$2" = x86 ]; then
        name=prefix32 saved=saved32
        export WINEARCH=win32
    fi
    export WINEPREFIX="$1/wine/$name"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY
    WINE_SAVED="$1/wine/$saved"
    WINE_LOCK="$1/wine.lock"
}

# wine_prefix_reset: makes the prefix on first use, then restores its saved registry. Call under the lock.
wine_prefix_reset() {
    if [ ! -f "$WINE_SAVED/system.reg" ]; then
        rm -rf "$WINEPREFIX" "$WINE_SAVED"
        mkdir -p "$WINEPREFIX" "$WINE_SAVED"
        wineboot -i >/dev/null 2>&1
        # Headless: the null graphics driver, for the dialog tests to come.
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
        cp "$WINEPREFIX"/*.reg "$WINE_SAVED"/
    fi
    wineserver -k >/dev/null 2>&1
    cp "$WINE_SAVED"/*.reg "$WINEPREFIX"/
}

# wine_windows_version PROGRAM.EXE ARCH: Wine reports Windows 7 by default; the x86 build is run as on
# Windows XP and the x64 build as on Windows Vista, the platforms the winsim profiles xp-sp2 and
# vista-x64 describe, so that both sides are asked the same questions.
wine_windows_version() {
    local version=winxp
    [ "$2" = x64 ] && version=vista
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$1" /v Version /d "$version" /f >/dev/null 2>&1
}

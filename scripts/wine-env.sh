# Sets up a headless Wine prefix inside a Windows build folder, for the
# bitness of the build's Dravik.dll. Source it:
#     . scripts/wine-env.sh <build-dir>
# Exports WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, WINEARCH, WINELOADER,
# WINESERVER, DRAVIK_WINE (the loader of the build's programs: wine64 for an
# x86_64 build, the 32-bit wine for an i686 one) and DRAVIK_WINESERVER;
# creates the prefix on first use. Every prefix is 64-bit Windows, so an i686
# build runs under WoW64 as in a 32-bit host on a user's machine.
# Returns non-zero when Wine is missing or the prefix cannot be made.

dravik_wine_env() {
    if [ -z "$1" ] || [ ! -f "$1/Dravik.dll" ]; then
        echo "wine-env.sh: usage: . wine-env.sh <build dir with Dravik.dll>" >&2
        return 2
    fi

    # Debian keeps both loaders outside PATH; its wine wrapper picks one itself.
    local wine64 wine32 format
    wine64=$(command -v wine64 2>/dev/null || true)
    [ -n "$wine64" ] || [ ! -x /usr/lib/wine/wine64 ] || wine64=/usr/lib/wine/wine64
    if [ -x /usr/lib/wine/wine ]; then wine32=/usr/lib/wine/wine; else wine32=$(command -v wine 2>/dev/null || true); fi
    DRAVIK_WINESERVER=$(command -v wineserver 2>/dev/null || true)
    [ -n "$DRAVIK_WINESERVER" ] || [ ! -x /usr/lib/wine/wineserver64 ] || DRAVIK_WINESERVER=/usr/lib/wine/wineserver64
    if [ -z "$wine64" ] || [ -z "$DRAVIK_WINESERVER" ]; then
        echo "wine-env.sh: wine64 not found (scripts/setup.sh installs it)" >&2
        return 1
    fi

    format=$(x86_64-w64-mingw32-objdump -f "$1/Dravik.dll" 2>/dev/null | sed -n 's/.*file format //p' || true)
    case "$format" in
        pei-x86-64) DRAVIK_WINE=$wine64 ;;
        pei-i386)
            if [ -z "$wine32" ]; then
                echo "wine-env.sh: the 32-bit wine not found (scripts/setup.sh installs wine32:i386)" >&2
                return 1
            fi
            DRAVIK_WINE=$wine32 ;;
        *)
            echo "wine-env.sh: $1/Dravik.dll is neither an x86_64 nor an i686 DLL ('$format')" >&2
            return 1 ;;
    esac

    WINEPREFIX=$(cd "$1" && pwd)/wineprefix
    WINEDEBUG=-all
    WINEDLLOVERRIDES="mscoree,mshtml="
    WINEARCH=win64
    WINELOADER=$DRAVIK_WINE
    WINESERVER=$DRAVIK_WINESERVER
    export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINEARCH WINELOADER WINESERVER DRAVIK_WINE DRAVIK_WINESERVER
    # Nothing may open a window.
    unset DISPLAY WAYLAND_DISPLAY

    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        if ! "$wine64" wineboot -i >/dev/null 2>&1 || ! "$DRAVIK_WINESERVER" -w; then
            echo "wine-env.sh: could not create the Wine prefix $WINEPREFIX" >&2
            return 1
        fi
    fi
    return 0
}

dravik_wine_env "$@"

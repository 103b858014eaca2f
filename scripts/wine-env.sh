# Sets up a headless 64-bit Wine prefix inside a build folder. Source it:
#     . scripts/wine-env.sh <build-dir>
# Exports WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, WINEARCH, and DRAVIK_WINE
# (the wine64 loader) and DRAVIK_WINESERVER; creates the prefix on first use.
# Returns non-zero when Wine is missing or the prefix cannot be made.

dravik_wine_env() {
    if [ -z "$1" ] || [ ! -d "$1" ]; then
        echo "wine-env.sh: usage: . wine-env.sh <existing build dir>" >&2
        return 2
    fi

    # Debian puts the 64-bit loader outside PATH; the wine wrapper wants wine32.
    DRAVIK_WINE=$(command -v wine64 2>/dev/null || true)
    [ -n "$DRAVIK_WINE" ] || [ ! -x /usr/lib/wine/wine64 ] || DRAVIK_WINE=/usr/lib/wine/wine64
    DRAVIK_WINESERVER=$(command -v wineserver 2>/dev/null || true)
    [ -n "$DRAVIK_WINESERVER" ] || [ ! -x /usr/lib/wine/wineserver64 ] || DRAVIK_WINESERVER=/usr/lib/wine/wineserver64
    if [ -z "$DRAVIK_WINE" ] || [ -z "$DRAVIK_WINESERVER" ]; then
        echo "wine-env.sh: wine64 not found (apt-get install wine64)" >&2
        return 1
    fi

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
        if ! "$DRAVIK_WINE" wineboot -i >/dev/null 2>&1 || ! "$DRAVIK_WINESERVER" -w; then
            echo "wine-env.sh: could not create the Wine prefix $WINEPREFIX" >&2
            return 1
        fi
    fi
    return 0
}

dravik_wine_env "$@"

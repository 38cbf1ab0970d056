#!/usr/bin/env bash
# Creates a fresh Wine prefix for the end-to-end (or the installer) tests and keeps its server
# running (setup), or stops that server (cleanup). Everything Wine prints goes to a file.
set -euo pipefail
export WINEDEBUG=-all
. "$(dirname "$0")/../../scripts/lib.sh"
log="$WINEPREFIX-prefix.log"
case "$1" in
setup)
    [ -n "${VANTREL_WINESERVER:-}" ] && WINEPREFIX=$WINEPREFIX "$VANTREL_WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$WINELOADER" wineboot -i >"$log" 2>&1 </dev/null
    "$VANTREL_WINESERVER" -w
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1 </dev/null
    "$VANTREL_WINESERVER" -w
    # Wine's own fonts, where this Wine does not find them by itself (see scripts/lib.sh).
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    vantrel_wine_font_link >>"$log" 2>&1 </dev/null
    "$VANTREL_WINESERVER" -w
    "$VANTREL_WINESERVER" -p >>"$log" 2>&1 </dev/null
    "$WINELOADER" wineboot >>"$log" 2>&1 </dev/null
    ;;
cleanup)
    "$VANTREL_WINESERVER" -k >/dev/null 2>&1 </dev/null || true
    ;;
esac

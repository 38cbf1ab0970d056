# Shared by the project's scripts: where things are, which architecture the tests run as,
# and the lifetime of the test display and of the Wine server. Source it; do not run it.

VANTREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# VANTREL_WIN64 runs the 32-bit build in a 64-bit Wine prefix, as on 64-bit Windows, from a
# build tree of its own.
VANTREL_BUILD=${VANTREL_BUILD:-$VANTREL_ROOT/build${VANTREL_WIN64:+/win64-prefix}}

# Prints i686 when this machine can execute 32-bit x86 code (so 32-bit Wine works),
# x86_64 otherwise. Some virtual machines have no 32-bit user mode at all; there the
# tests run a 64-bit build of the same sources. VANTREL_TEST_ARCH overrides the probe.
vantrel_test_arch() {
    if [ -n "${VANTREL_TEST_ARCH:-}" ]; then
        echo "$VANTREL_TEST_ARCH"
    elif timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo i686
    else
        echo x86_64
    fi
}

# Configures (once) and builds one architecture into $VANTREL_BUILD/<arch>.
vantrel_build() {
    local arch=$1
    shift
    local dir=$VANTREL_BUILD/$arch
    mkdir -p "$VANTREL_BUILD"
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$VANTREL_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$VANTREL_ROOT/cmake/mingw-$arch.cmake" "$@" >"$dir.configure.log" 2>&1 ||
            { cat "$dir.configure.log"; return 1; }
    fi
    cmake --build "$dir" -j "$(nproc)"
}

# Sets the Wine environment for one architecture's private prefix inside the build tree.
vantrel_wine_env() {
    local arch=$1
    export WINEPREFIX=$VANTREL_BUILD/$arch/wine
    export WINEDEBUG=-all
    if [ "$arch" = i686 ]; then
        export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
        if [ -n "${VANTREL_WIN64:-}" ]; then WINEARCH=win64; fi
        VANTREL_WINESERVER=/usr/lib/wine/wineserver32
        [ -x /usr/lib/wine/wineserver64 ] && VANTREL_WINESERVER=/usr/lib/wine/wineserver64
    else
        export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
        VANTREL_WINESERVER=/usr/lib/wine/wineserver64
    fi
    export VANTREL_WINESERVER
}

# Starts a private virtual display and exports DISPLAY. Xvfb's output goes to a file.
vantrel_start_xvfb() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$VANTREL_BUILD/xvfb.log" 2>&1 &
    VANTREL_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
}

vantrel_stop_xvfb() {
    if [ -n "${VANTREL_XVFB_PID:-}" ]; then kill "$VANTREL_XVFB_PID" 2>/dev/null || true; fi
    VANTREL_XVFB_PID=
}

# Creates the prefix on first use, then keeps one persistent server alive for this run.
# All of Wine's output goes to files: a server holding a pipe open would stall ctest.
vantrel_start_wine() {
    local log=$VANTREL_BUILD/wine.log
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINELOADER" wineboot -i >>"$log" 2>&1 </dev/null
        "$VANTREL_WINESERVER" -w
    fi
    # Without a window manager Wine must draw window frames itself; otherwise DestroyWindow
    # stalls (about 2 s for every window closed) and key presses do not reach the windows.
    # Checked at every start, so that a prefix whose first start was cut short gets it too.
    if ! grep -qs '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
        "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1 </dev/null
        "$VANTREL_WINESERVER" -w
    fi
    vantrel_wine_fonts
    # The link's last value stands for both (Wine itself names WenQuanYi in user.reg too).
    if ! grep -qs '^"696e6168"="WenQuanYi' "$WINEPREFIX/user.reg"; then
        vantrel_wine_font_link >>"$log" 2>&1 </dev/null
        "$VANTREL_WINESERVER" -w
    fi
    # A server that already runs for this prefix (someone else's) is used as it is and left
    # running at the end; only a server started here is stopped.
    VANTREL_OWN_SERVER=
    if "$VANTREL_WINESERVER" -p >>"$log" 2>&1 </dev/null; then
        VANTREL_OWN_SERVER=1
    else
        echo "== using the Wine server that already runs for $WINEPREFIX" >&2
    fi
    "$WINELOADER" wineboot >>"$log" 2>&1 </dev/null
}

# Wine's own fonts (Marlett for the caption buttons, MS Sans Serif for dialogs) from Debian's
# fonts-wine, where this Wine does not find them by itself.
vantrel_wine_fonts() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    [ -d "$fonts" ] && [ -d /usr/share/wine/fonts ] || return 0
    cp -n /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
}

# Letters of Chinese, Japanese and Korean in the dialogs that show process names, from the
# font of Debian's fonts-wqy-microhei. Their font, MS Shell Dlg, is Tahoma under Wine; on
# Windows Tahoma links to Windows' own fonts of those scripts, and Wine's list of links names
# only those. Edit controls take missing letters from Wine's fallback font of the script
# ("hani": Han).
vantrel_wine_font_link() {
    "$WINELOADER" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
    "$WINELOADER" reg add 'HKCU\Software\Wine\Uniscribe\Fallback' /v 696e6168 \
        /d 'WenQuanYi Micro Hei' /f
}

vantrel_stop_wine() {
    if [ -n "${VANTREL_OWN_SERVER:-}" ]; then "$VANTREL_WINESERVER" -k >/dev/null 2>&1 </dev/null || true; fi
}

#!/usr/bin/env bash
# The installer at work, in a fresh Wine prefix of its own (fixture "install"):
#   a silent install (/S) puts the program, the library and the uninstaller into
#   Program Files\Vantrel, adds the Start-menu shortcut and the uninstall entry;
#   the program started from that shortcut lists processes (VN.DLL found beside it);
#   a silent uninstall removes all of that and keeps the settings;
#   an uninstall in which the user answers Yes removes the settings too, with the copies
#   earlier versions left in the machine's key and the virtual store.
# The installer is this build's own: on a machine that runs the tests as i686 it is the
# shipping 32-bit installer; where 32-bit code cannot execute it is the 64-bit variant made
# from the same script by the x86_64 build.
. "$(dirname "$0")/lib.sh"

SETUP=$VANTREL_DIST_BASE-setup.exe
ZIP=$VANTREL_DIST_BASE.zip
# A 32-bit installer on 64-bit Windows (a 64-bit prefix) installs into Program Files (x86).
PROGRAM_FILES='Program Files'
[ "$VANTREL_ARCH" = i686 ] && [ -d "$WINEPREFIX/drive_c/Program Files (x86)" ] &&
    PROGRAM_FILES='Program Files (x86)'
INSTDIR="$WINEPREFIX/drive_c/$PROGRAM_FILES/Vantrel"
WIN_INSTDIR="C:\\$PROGRAM_FILES\\Vantrel"
SHORTCUT="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vantrel.lnk"
WIN_SHORTCUT='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Vantrel.lnk'
KILL_SHORTCUT="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kill Vantrel Favorites.lnk"
WIN_KILL_SHORTCUT='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Kill Vantrel Favorites.lnk'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel'
SETTINGS_KEY='HKCU\Software\Trelmont Software\Vantrel'
# Where earlier versions kept the settings: the machine's key and the virtual-store copies;
# on 64-bit Windows the machine's key has a 64-bit view as well (reg's /reg:64).
OLD_KEYS=('HKLM\Software\Trelmont Software\Vantrel'
    'HKCU\Software\Classes\VirtualStore\MACHINE\SOFTWARE\WOW6432Node\Trelmont Software\Vantrel'
    'HKCU\Software\Classes\VirtualStore\MACHINE\SOFTWARE\Trelmont Software\Vantrel')
UNINSTALLER_TITLE="Vantrel $VANTREL_VERSION Uninstall"
APP_PID=

fail() {
    echo "FAIL: $*" >&2
    shot failure
    exit 1
}
shot() { import -window root "$LOGDIR/$TEST_NAME-$1.png" 2>/dev/null || true; }
vdrive() { wrun "$VANTREL_TESTS_BIN/vdrive.exe" "$@"; }
reg_has() { wrun reg query "$@" >/dev/null 2>&1; }

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_until() {
    local tenths=$1 i
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
gone() { [ ! -e "$1" ]; }

# The X windows titled exactly $1, one per line.
windows_titled() { timeout 10 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
count_titled() { [ "$(windows_titled "$1" | wc -l)" -ge "$2" ]; }

# Gives an X window the keyboard focus (a click on its title bar) and presses keys there.
press_in() {
    local w=$1
    shift
    xdotool mousemove --window "$w" 40 8 click 1
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    xdotool key --delay 50 "$@"
}

cleanup() {
    if [ -n "$APP_PID" ]; then kill "$APP_PID" 2>/dev/null || true; fi
    wrun taskkill /F /IM Vantrel.exe >/dev/null 2>&1 || true
    true
}
trap cleanup EXIT

if [ "$VANTREL_ARCH" != i686 ]; then
    echo "NOTE: this machine cannot execute 32-bit code, so the shipping installer cannot run"
    echo "      here; this test runs $(basename "$SETUP"), built from the same script."
fi
[ -f "$SETUP" ] || fail "no installer: $SETUP"

install_silently() {
    wrun "$(winpath "$SETUP")" /S >/dev/null || fail "the silent install failed ($?)"
    local f
    for f in Vantrel.exe VN.DLL Uninstall.exe; do
        [ -f "$INSTDIR/$f" ] || fail "$f was not installed"
    done
}

echo "== silent install"
install_silently
# Exactly the program files of the zip, byte for byte, and nothing else but the uninstaller.
unpacked=$(mktemp -d "$LOGDIR/unzip.XXXXXX")
unzip -q "$ZIP" -d "$unpacked"
cmp -s "$unpacked/Vantrel.exe" "$INSTDIR/Vantrel.exe" || fail "the installed Vantrel.exe is not the zip's"
cmp -s "$unpacked/VN.DLL" "$INSTDIR/VN.DLL" || fail "the installed VN.DLL is not the zip's"
rm -rf "$unpacked"
[ "$(ls "$INSTDIR" | sort | tr '\n' ' ')" = "Uninstall.exe VN.DLL Vantrel.exe " ] ||
    fail "installed: $(ls "$INSTDIR" | tr '\n' ' ')"
[ -f "$SHORTCUT" ] || fail "no Start-menu shortcut at $SHORTCUT"
[ -f "$KILL_SHORTCUT" ] || fail "no Start-menu shortcut at $KILL_SHORTCUT"
entry=$(wrun reg query "$UNINSTALL_KEY") || fail "no uninstall entry"
grep -q "DisplayVersion.*REG_SZ.*$VANTREL_VERSION\$" <<<"$entry" || fail "uninstall entry: $entry"
grep -qF "\"$WIN_INSTDIR\\Uninstall.exe\"" <<<"$entry" || fail "uninstall entry: $entry"

echo "== the installed program, started from its shortcut"
mkdir -p "$WINEPREFIX/drive_c/victims"
victim=install_victim_$$_$RANDOM.exe
cp "$VANTREL_TESTS_BIN/victim_console.exe" "$WINEPREFIX/drive_c/victims/$victim"
victim_pid=$(vdrive start-victim "C:\\victims\\$victim" 0) || fail "the victim did not start"
wrun start "$WIN_SHORTCUT" >/dev/null || fail "the shortcut did not start"
vdrive wait-main 20000 >/dev/null || fail "the installed program's window did not appear"
# A fresh prefix: the first start shows its warning before the first listing.
vdrive msgbox 10000 >/dev/null || fail "no first-start warning"
xdotool key Return
vdrive wait-row "${victim^^}" 10000 || fail "the installed program does not list the victim"
row=$(vdrive rows | grep "^${victim^^}")
[ "$(cut -f5 <<<"$row")" = "C:\\VICTIMS\\${victim^^}" ] || fail "row without VN.DLL's full path: $row"
path_of_app=$(vdrive rows | awk -F'\t' '$1 == "VANTREL.EXE" { print $5 }')
[ "$path_of_app" = "${WIN_INSTDIR^^}\\VANTREL.EXE" ] || fail "Vantrel runs from '$path_of_app'"
shot list
vdrive close >/dev/null || true
vdrive wait-exit 10000 || fail "the installed program did not close"
vdrive kill "$victim_pid" >/dev/null || true
reg_has "$SETTINGS_KEY" || fail "the program made no settings key"

echo "== the favourites, killed from the second shortcut without a window"
fav=install_fav_$$_$RANDOM.exe
cp "$VANTREL_TESTS_BIN/victim_console.exe" "$WINEPREFIX/drive_c/victims/$fav"
fav_pid=$(vdrive start-victim "C:\\victims\\$fav" 0) || fail "the favourite did not start"
wrun reg add "$SETTINGS_KEY\\Settings" /v Fav0 /d "$fav" /f >/dev/null
wrun start "$WIN_KILL_SHORTCUT" >/dev/null || fail "the kill shortcut did not start"
not_running() { ! vdrive running "$1" >/dev/null; }
wait_until 100 not_running "$fav_pid" || fail "the kill shortcut left the favourite running"
vdrive wait-main 500 >/dev/null && fail "the kill shortcut opened a window"

echo "== silent uninstall"
wrun "$WIN_INSTDIR\\Uninstall.exe" /S >/dev/null || fail "the silent uninstall failed"
# The uninstaller runs on from a copy in the temporary folder: wait for its work.
wait_until 300 gone "$INSTDIR" || fail "left behind: $(ls "$INSTDIR" | tr '\n' ' ')"
wait_until 100 gone "$SHORTCUT" || fail "the shortcut is still there"
wait_until 100 gone "$KILL_SHORTCUT" || fail "the kill shortcut is still there"
wait_until 100 eval '! reg_has "$UNINSTALL_KEY"' || fail "the uninstall entry is still there"
reg_has "$SETTINGS_KEY" || fail "the silent uninstall removed the settings"

echo "== uninstall, answering Yes to removing the settings"
install_silently
for k in "${OLD_KEYS[@]}"; do wrun reg add "$k\\Settings" /v Fav0 /d OLD.EXE /f >/dev/null; done
wrun reg add "${OLD_KEYS[0]}\\Settings" /v Fav0 /d OLD.EXE /f /reg:64 >/dev/null
("$WINELOADER" "$WIN_INSTDIR\\Uninstall.exe" >>"$LOGDIR/$TEST_NAME.err" 2>&1 </dev/null &)
# Its window's title names the page; its question box has the bare title.
wait_until 300 count_titled "$UNINSTALLER_TITLE: Confirmation" 1 || fail "the uninstaller's window did not appear"
main=$(windows_titled "$UNINSTALLER_TITLE: Confirmation" | head -1)
shot uninstall-confirm
press_in "$main" Return
wait_until 300 count_titled "$UNINSTALLER_TITLE" 1 || fail "the uninstaller did not ask about the settings"
question=$(windows_titled "$UNINSTALLER_TITLE" | head -1)
shot uninstall-question
press_in "$question" Return
wait_until 300 eval '! reg_has "$SETTINGS_KEY"' || fail "Yes did not remove the settings"
wait_until 100 gone "$INSTDIR" || fail "left behind: $(ls "$INSTDIR" | tr '\n' ' ')"
for k in "${OLD_KEYS[@]}"; do wait_until 100 eval '! reg_has "$k"' || fail "Yes did not remove $k"; done
for k in 'HKCU\Software\Trelmont Software' 'HKLM\Software\Trelmont Software'; do
    wait_until 100 eval '! reg_has "$k"' || fail "the empty company key $k stays"
done
wait_until 100 eval '! reg_has "HKLM\\Software\\Trelmont Software" /reg:64' ||
    fail "Yes did not remove the machine's key in the 64-bit view"
wait_until 300 count_titled "$UNINSTALLER_TITLE: Completed" 1 || fail "the uninstaller did not complete"
shot uninstall-done
press_in "$main" Return
wait_until 100 eval '! count_titled "$UNINSTALLER_TITLE.*" 1' || fail "the uninstaller did not close"
echo PASS

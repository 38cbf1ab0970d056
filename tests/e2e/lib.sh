# End-to-end test helpers: the real Vantrel.exe in the end-to-end Wine prefix, driven by real
# key presses (xdotool) and read from outside (vdrive, wine reg). Sourced by each test.
# The environment comes from ctest: VANTREL_BIN (build folder), VANTREL_TESTS_BIN,
# WINEPREFIX, WINELOADER, WINEARCH, DISPLAY.
set -euo pipefail
export WINEDEBUG=-all
# The program's settings key (for wine reg and regtool alike), and the places where earlier
# versions kept the same layout: the machine's key and the person's virtual-store copies of it.
KEY='HKCU\Software\Trelmont Software\Vantrel'
MACHINE_KEY='HKLM\Software\Trelmont Software\Vantrel'
VSTORE='HKCU\Software\Classes\VirtualStore\MACHINE\SOFTWARE'
VSTORE_KEY="$VSTORE\WOW6432Node\Trelmont Software\Vantrel"
VSTORE_PLAIN_KEY="$VSTORE\Trelmont Software\Vantrel"
LOGDIR=${VANTREL_BIN}/e2e-logs
mkdir -p "$LOGDIR"
TEST_NAME=$(basename "$0" .sh)
VICTIM_PIDS=()

# Ends the test with a FAIL line. Every check says what it expected and what it saw.
fail() {
    echo "FAIL: $*" >&2
    shot "failure"
    exit 1
}

# Any other step that fails ends the test with a FAIL line naming it, where bare `set -e`
# would end it silently. A step inside a command substitution is reported by the line that
# used its output, in the test itself.
set -o errtrace
trap 'step_failed $? "$BASH_COMMAND" $LINENO' ERR
step_failed() {
    [ "$BASH_SUBSHELL" = 0 ] || return 0
    local where="line $3" n=${#FUNCNAME[@]}
    [ "$n" -le 2 ] || where="line ${BASH_LINENO[n - 2]}, in ${FUNCNAME[n - 2]}"
    fail "${0##*/} $where: '$2': expected success, got exit status $1"
}

# expect_eq WHAT EXPECTED SEEN [WHEN]: fails naming WHAT, with both, when they differ.
expect_eq() {
    [ "$3" = "$2" ] || fail "$1: expected '$2', got $(seen "$3")${4:+ ($4)}"
}
seen() { if [ -n "$1" ]; then echo "'$1'"; else echo nothing; fi; }

# Runs a Windows program of the build; its output goes to a file, then to stdout.
wrun() {
    local out="$LOGDIR/$TEST_NAME.out"
    "$WINELOADER" "$@" >"$out" 2>>"$LOGDIR/$TEST_NAME.err" </dev/null
    local rc=$?
    tr -d '\r' <"$out"
    return $rc
}

# The Windows path of a file, through the prefix's own loader (the system's winepath script
# runs the 32-bit loader, which a machine without 32-bit support cannot start).
winpath() { "$WINELOADER" winepath -w "$1" 2>/dev/null </dev/null | tr -d '\r'; }

vdrive() { wrun "$VANTREL_TESTS_BIN/vdrive.exe" "$@"; }
regtool() { wrun "$VANTREL_TESTS_BIN/regtool.exe" "$@"; }

# The program's exit status once it has ended by itself (after a close request).
exit_status() {
    local rc=0
    wait "$VANTREL_PID" || rc=$?
    echo "$rc"
}

# The program's settings, by section and value name; reports name them Section\value.
# reg_read SECTION VALUE: the data, or nothing when the value is missing.
reg_read() {
    wrun reg query "$KEY\\$1" /v "$2" 2>/dev/null |
        awk -v v="$2" '$1 == v { if (NF == 2) { print ""; next } $1 = ""; $2 = ""; sub(/^  /, ""); print }' || true
}
# expect_reg SECTION VALUE EXPECTED [WHEN]; expect_reg_number SECTION VALUE [WHEN].
expect_reg() { expect_eq "$1\\$2" "$3" "$(reg_read "$1" "$2")" "${4:-}"; }
expect_reg_number() {
    local data
    data=$(reg_read "$1" "$2")
    [[ "$data" =~ ^-?[0-9]+$ ]] || fail "$1\\$2: expected a number, got $(seen "$data")${3:+ ($3)}"
}
# reg_set SECTION VALUE DATA stores a text value; reg_clear SECTION [VALUE] deletes the value,
# or the whole section, when it is there.
reg_set() {
    wrun reg add "$KEY\\$1" /v "$2" /d "$3" /f >/dev/null || fail "$1\\$2: could not store '$3'"
}
# favourites NAME...: the favourites list, exactly these names (none: an empty list).
favourites() {
    reg_clear Settings
    local i=0 name
    for name in "$@"; do
        reg_set Settings "Fav$i" "$name"
        i=$((i + 1))
    done
}
reg_clear() {
    wrun reg delete "$KEY\\$1" ${2:+/v "$2"} /f >/dev/null 2>&1 || true
}
# reg_put SECTION VALUE TYPE HEX stores a value of any type and data (see regtool.cpp).
# A Wine process of the test's own that exits 1 without a word (seen now and then late in the
# long odd-values run, before the program starts) is run once more, and the log says so.
reg_put() {
    local rc=0
    regtool put "$KEY\\$1" "$2" "$3" "$4" >/dev/null || rc=$?
    if [ $rc -ne 0 ]; then
        echo "note: regtool put $1\\$2 exited $rc; tried once more" >&2
        rc=0
        regtool put "$KEY\\$1" "$2" "$3" "$4" >/dev/null || rc=$?
    fi
    [ $rc -eq 0 ] || fail "$1\\$2: could not store type $3 with $((${#4} / 2)) bytes" \
        "(exit status $rc, last error line $(seen "$(tail -n 1 "$LOGDIR/$TEST_NAME.err")"))"
}
reg_key_exists() { wrun reg query "$1" >/dev/null 2>&1; }

# A fresh start: no settings key, old or new, and no INI file.
reset_state() {
    local k
    for k in "$KEY" "$MACHINE_KEY" "$VSTORE_KEY" "$VSTORE_PLAIN_KEY"; do
        wrun reg delete "$k" /f >/dev/null 2>&1 || true
    done
    rm -f "$(windows_dir)/Vantrel.INI"
}
windows_dir() { echo "$WINEPREFIX/drive_c/windows"; }

# Starts the program; by default the build's, from its own folder. start_vantrel DIR EXE starts
# EXE (a path Wine understands) with DIR as the current directory.
start_vantrel() {
    local dir=${1:-$VANTREL_BIN} exe=${2:-Vantrel.exe}
    (cd "$dir" && exec "$WINELOADER" "$exe" >>"$LOGDIR/$TEST_NAME.app" 2>&1 </dev/null) &
    VANTREL_PID=$!
    vdrive wait-main 20000 >/dev/null || fail "the main window did not appear"
}

# The X window of the main frame (the largest visible window titled "Vantrel").
# The X window can appear a moment after Windows calls the window visible: wait for it.
main_xid() {
    local best="" area=0 w i
    for i in $(seq 1 50); do
        for w in $(timeout 10 xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
            if [ $((WIDTH * HEIGHT)) -gt "$area" ]; then
                area=$((WIDTH * HEIGHT))
                best=$w
            fi
        done
        [ -n "$best" ] && break
        sleep 0.1
    done
    echo "$best"
}

# Gives the main window the keyboard focus when it does not have it: a click on the empty
# part of the toolbar (not the title bar: two clicks there in a row would maximise it).
focus_main() {
    local w
    w=$(main_xid)
    [ -n "$w" ] || fail "no main window to focus"
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$w" ] && return 0
    eval "$(xdotool getwindowgeometry --shell "$w")"
    xdotool mousemove --window "$w" $((WIDTH - 100)) 52 click 1
    xdotool windowfocus --sync "$w" 2>/dev/null || true
}

# Presses keys in the main window.
keys() {
    focus_main
    xdotool key --delay 50 "$@"
}

# Presses keys in whatever window has the focus (a message box or dialog).
keys_here() { xdotool key --delay 50 "$@"; }

# Presses keys in the dialog with the given title, giving it the focus first.
keys_in() {
    local title=$1 w
    shift
    w=$(timeout 10 xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1) || true
    [ -n "$w" ] || fail "no window titled $title"
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    xdotool key --delay 50 "$@"
}

# Types UTF-8 text, in any script, into the window titled TITLE as the keyboard would.
# Usage: type_in TITLE TEXT
type_in() {
    local w
    w=$(timeout 10 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$w" ] || fail "no window titled $1"
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    xdotool type --delay 80 "$2"
}

# Runs a command until it succeeds or MS milliseconds have passed; fails (returns non-zero)
# on time-out. Usage: wait_until MS command [args...]
wait_until() {
    local ms=$1 i
    shift
    for ((i = 0; i < ms / 100; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}
not() { ! "$@"; }
# Whether a process of the shell (by shell pid) has ended.
ended() { ! kill -0 "$1" 2>/dev/null; }

# Waits for the program to end (after a close request).
wait_exit() {
    wait_until 20000 ended "$VANTREL_PID" || fail "Vantrel did not end"
}

close_vantrel() {
    vdrive close >/dev/null || true
    wait_exit
}

# Starts a victim under the given unique file name and waits until it is ready; sets
# VICTIM_PID (a Windows process id). Usage: start_victim console|window NAME ARG
start_victim() {
    local kind=$1 name=$2 extra=$3
    local dir="$WINEPREFIX/drive_c/victims"
    mkdir -p "$dir"
    cp "$VANTREL_TESTS_BIN/victim_$kind.exe" "$dir/$name" || fail "victim $name could not be copied"
    VICTIM_PID=$(vdrive start-victim "C:\\victims\\$name" "$extra") || fail "victim $name did not start"
    VICTIM_PIDS+=("$VICTIM_PID")
}

shot() {
    import -window root "$LOGDIR/$TEST_NAME-$1.png" 2>/dev/null || true
}

cleanup() {
    local p
    if [ -n "${VANTREL_PID:-}" ]; then kill "$VANTREL_PID" 2>/dev/null || true; fi
    for p in "${VICTIM_PIDS[@]}"; do vdrive kill "$p" >/dev/null 2>&1 || true; done
    # Whatever of ours still runs in the prefix is ended by name, never Wine's own services.
    wrun taskkill /F /IM Vantrel.exe >/dev/null 2>&1 || true
    true
}
trap cleanup EXIT

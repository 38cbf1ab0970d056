#!/usr/bin/env bash
# Vantrel.exe /kill: the favourites ended without a window, the exit codes, the lines on the
# console, the kill mode for one run, a missing VN.DLL, and the usage box.
. "$(dirname "$0")/lib.sh"

reset_state
reg_set Newbie Start 0
tag=$$_$RANDOM
OUT=$LOGDIR/cmdline.kill.out

# Runs Vantrel.exe (from DIR, default the build's folder) with the arguments, watching that no
# Vantrel window shows at any time; sets RC and leaves the program's output in $OUT.
run_kill() {
    local dir=$VANTREL_BIN
    if [ "$1" = --in ]; then
        dir=$2
        shift 2
    fi
    (cd "$dir" && exec "$WINELOADER" Vantrel.exe "$@" >"$OUT" 2>>"$LOGDIR/$TEST_NAME.err" </dev/null) &
    local pid=$! seen=""
    while kill -0 "$pid" 2>/dev/null; do
        if timeout 5 xdotool search --onlyvisible --name '^Vantrel$' >/dev/null 2>&1; then seen=1; fi
        sleep 0.05
    done
    RC=0
    wait "$pid" || RC=$?
    [ -z "$seen" ] || fail "a Vantrel window showed during 'Vantrel.exe $*'"
}
running() { vdrive running "$1" >/dev/null; }
placement() { regtool dump "$KEY" | grep -P '^(Screen|Grid)\t' || true; }

# A first start of the window stores placement and widths; /kill must leave them as they are.
start_vantrel
vdrive wait-rows 10000 >/dev/null || fail "no rows"
close_vantrel
before=$(placement)
[ -n "$before" ] || fail "no placement stored by the window"

# Two favourites running: both ended, exit code 0, a line for each.
start_victim console "e2e_ka_$tag.exe" 0
a=$VICTIM_PID
start_victim console "e2e_kb_$tag.exe" 0
b=$VICTIM_PID
favourites "e2e_ka_$tag.exe" "E2E_KB_$tag.EXE" "NOT_RUNNING_$tag.EXE"
run_kill /kill
[ "$RC" = 0 ] || fail "/kill with two favourites running exited $RC"
running "$a" && fail "/kill left the first favourite running"
running "$b" && fail "/kill left the second favourite running"
grep -qx "E2E_KA_$tag.EXE $(printf '%X' "$a") ended" < <(tr -d '\r' <"$OUT") ||
    fail "no line for the first favourite: $(cat "$OUT")"
grep -qx "E2E_KB_$tag.EXE $(printf '%X' "$b") ended" < <(tr -d '\r' <"$OUT") ||
    fail "no line for the second favourite: $(cat "$OUT")"
[ "$(placement)" = "$before" ] || fail "/kill changed the stored placement or widths"

# A favourite that is not running: exit code 0. An empty list: exit code 2, nothing ended,
# and a line that says why.
run_kill -KILL
[ "$RC" = 0 ] || fail "/kill with no favourite running exited $RC"
start_victim console "e2e_kc_$tag.exe" 0
c=$VICTIM_PID
favourites
run_kill /kill
[ "$RC" = 2 ] || fail "/kill with an empty favourites list exited $RC"
grep -q "favourites list is empty" "$OUT" || fail "/kill did not say the list is empty: $(cat "$OUT")"
running "$c" || fail "/kill with an empty favourites list ended a process"

# Gently, a program that ignores the close request: still running, exit code 1 within 8 s;
# the stored mode stays forced. Then by force for this run only, over a stored gentle mode:
# ended, exit code 0.
start_victim window "e2e_kd_$tag.exe" ignore
d=$VICTIM_PID
favourites "e2e_kd_$tag.exe"
reg_set Setting Gentle 0
start_ms=$(date +%s%3N)
run_kill /kill /Gentle
elapsed=$(($(date +%s%3N) - start_ms))
[ "$RC" = 1 ] || fail "/kill /gentle with a stubborn favourite exited $RC"
[ "$elapsed" -lt 8000 ] || fail "/kill /gentle took $elapsed ms"
running "$d" || fail "/kill /gentle ended the stubborn favourite"
grep -q "still running" "$OUT" || fail "no 'still running' line: $(cat "$OUT")"
expect_reg Setting Gentle 0 "after /kill /gentle"
reg_set Setting Gentle 1
run_kill /kill -force
[ "$RC" = 0 ] || fail "/kill /force exited $RC"
running "$d" && fail "/kill /force left the favourite running"
reg_set Setting Gentle 0

# Without VN.DLL: exit code 3, no message box.
dir="$WINEPREFIX/drive_c/cmdline_nolib_$tag"
mkdir -p "$dir"
cp "$VANTREL_BIN/Vantrel.exe" "$dir/"
run_kill --in "$dir" /kill
[ "$RC" = 3 ] || fail "/kill without VN.DLL exited $RC"
if vdrive msgbox 500 >/dev/null; then fail "a message box without VN.DLL"; fi

# A Vantrel window open at the same time is not disturbed, even with Vantrel itself on the
# list: every Vantrel process is passed over, forced and gently, and the rest is ended.
start_vantrel
vdrive wait-rows 10000 >/dev/null || fail "no rows"
reg_clear Grid
for mode in /force /gentle; do
    start_victim window "e2e_ke_$tag.exe" honour
    e=$VICTIM_PID
    favourites VANTREL.EXE "e2e_ke_$tag.exe"
    rc=0
    (cd "$VANTREL_BIN" && "$WINELOADER" Vantrel.exe /kill $mode >"$OUT" 2>/dev/null </dev/null) || rc=$?
    [ "$rc" = 0 ] || fail "/kill $mode beside an open window exited $rc: $(cat "$OUT")"
    running "$e" && fail "/kill $mode beside an open window left the favourite running"
    grep -q "^VANTREL.EXE .* skipped: Vantrel" < <(tr -d '\r' <"$OUT") ||
        fail "/kill $mode did not pass over the open window: $(cat "$OUT")"
    vdrive ask-rows >/dev/null || fail "the open window does not answer after /kill $mode"
done
close_vantrel
for i in 0 1 2 3 4; do
    expect_reg_number Grid "col$i" "when the window closed after /kill"
done

# Vantrel is known by its file, not its name: the window of a renamed copy is passed over, and
# another program that happens to be called Vantrel.exe is ended like any favourite.
dir="$WINEPREFIX/drive_c/Copy_$tag"
mkdir -p "$dir"
cp "$VANTREL_BIN/Vantrel.exe" "$dir/VantrelCopy.exe"
cp "$VANTREL_BIN/VN.DLL" "$dir/"
[ "$(vdrive run 0 "C:\\Copy_$tag\\VantrelCopy.exe")" = running ] || fail "the renamed copy did not start"
vdrive wait-main 20000 >/dev/null || fail "no window of the renamed copy"
vdrive wait-rows 10000 >/dev/null || fail "no rows in the renamed copy's window"
start_victim console vantrel.exe 0
namesake=$VICTIM_PID
favourites VANTREL.EXE VANTRELCOPY.EXE
rc=0
(cd "$VANTREL_BIN" && "$WINELOADER" Vantrel.exe /kill /force >"$OUT" 2>/dev/null </dev/null) || rc=$?
[ "$rc" = 0 ] || fail "/kill beside a renamed copy exited $rc: $(cat "$OUT")"
running "$namesake" && fail "another program named Vantrel.exe was passed over: $(cat "$OUT")"
grep -q "^VANTRELCOPY.EXE .* skipped: Vantrel" < <(tr -d '\r' <"$OUT") ||
    fail "/kill did not pass over the renamed copy: $(cat "$OUT")"
vdrive close >/dev/null
vdrive wait-exit 20000 >/dev/null || fail "the renamed copy's window did not close"

# Started through an unquoted command line whose path holds letters beyond ASCII (a folder
# such as C:\Users\José): the window opens without a switch, /kill reads its switch, and a
# switch outside the code page is not understood.
dir="$WINEPREFIX/drive_c/Prüfung_$tag"
mkdir -p "$dir"
cp "$VANTREL_BIN/Vantrel.exe" "$VANTREL_BIN/VN.DLL" "$dir/"
exe="C:\\Prüfung_$tag\\Vantrel.exe"
[ "$(vdrive run 0 "$exe")" = running ] || fail "the window start through '$exe' ended at once"
vdrive wait-main 20000 >/dev/null || fail "no main window when started through '$exe'"
vdrive close >/dev/null
vdrive wait-exit 20000 >/dev/null || fail "the window started through '$exe' did not close"
favourites
rc=$(vdrive run 20000 "$exe /kill" | tail -n 1) || fail "'$exe /kill' did not end: $rc"
[ "$rc" = 2 ] || fail "'$exe /kill' with an empty list exited $rc"
"$WINELOADER" "$VANTREL_TESTS_BIN/vdrive.exe" run 20000 "$exe /★" >"$LOGDIR/cmdline.star.out" 2>&1 </dev/null &
star=$!
vdrive answer 10000 >/dev/null || fail "no usage box for '$exe /★'"
wait "$star" || fail "'$exe /★' did not end"
rc=$(tr -d '\r' <"$LOGDIR/cmdline.star.out")
[ "$rc" = 64 ] || fail "'$exe /★' exited $rc"

# A command line that cannot be understood: the usage box, exit code 64 once it is closed.
(cd "$VANTREL_BIN" && exec "$WINELOADER" Vantrel.exe /nonsense >/dev/null 2>&1 </dev/null) &
pid=$!
vdrive msgbox 10000 >/dev/null || fail "no usage box for /nonsense"
shot usage
usage=$(vdrive answer 1000) || fail "the usage box could not be answered"
grep -q "/kill" <<<"$usage" || fail "usage text: $usage"
rc=0
wait "$pid" || rc=$?
[ "$rc" = 64 ] || fail "/nonsense exited $rc"
(cd "$VANTREL_BIN" && exec "$WINELOADER" Vantrel.exe "/?" >/dev/null 2>&1 </dev/null) &
pid=$!
vdrive answer 10000 >/dev/null || fail "no usage box for /?"
rc=0
wait "$pid" || rc=$?
[ "$rc" = 0 ] || fail "/? exited $rc"
echo PASS

#!/usr/bin/env bash
# Killing with the real program: Kill Selected (F8), Kill Favorites (F9) with its status texts,
# the empty-list message, gentle kills, and Kill Favorites and Exit (F10).
. "$(dirname "$0")/lib.sh"

reset_state
reg_set Newbie Start 0
tag=$$_$RANDOM
running() { vdrive running "$1" >/dev/null; }

# F8: the topmost selected row's process ends, and the list is rebuilt.
start_victim console "e2e_sel_$tag.exe" 0
sel=$VICTIM_PID
start_vantrel
vdrive wait-row "E2E_SEL_$tag.EXE" 10000 || fail "victim not listed"
expect_eq "Kill Selected without a selection" disabled "$(vdrive toolbar 32775)"
keys F8 # nothing selected: nothing happens
running "$sel" || fail "F8 without a selection killed something"
vdrive select "E2E_SEL_$tag.EXE" || fail "could not select the victim's row"
kill_selected_enabled() { [ "$(vdrive toolbar 32775)" = enabled ]; }
wait_until 3000 kill_selected_enabled || fail "Kill Selected stays disabled with a selection"
keys F8
vdrive wait-gone "E2E_SEL_$tag.EXE" 5000 || fail "F8 did not remove the row"
running "$sel" && fail "F8 did not kill the selected victim"
start_victim console "e2e_new_$tag.exe" 0
vdrive wait-row "E2E_NEW_$tag.EXE" 1000 && fail "the list changed without a refresh"

# F9 with an empty favourites list: the message, nothing killed.
keys F9
msg=$(vdrive msgbox 5000) || fail "no message for an empty favourites list"
[ "$msg" = "Favorites List has no Contents - hit F2 to Edit" ] || fail "message: $msg"
keys_here Return
vdrive wait-row "E2E_NEW_$tag.EXE" 3000 || fail "F9 did not refresh before reading the favourites"

# F9 with two favourites (one stored in lower case): the first matching row of each goes.
start_victim console "e2e_fa_$tag.exe" 0
fa=$VICTIM_PID
start_victim console "e2e_fb_$tag.exe" 0
fb=$VICTIM_PID
reg_set Settings Fav0 "e2e_fa_$tag.exe"
reg_set Settings Fav1 "E2E_FB_$tag.EXE"
keys F9
wait_until 5000 not running "$fa" && wait_until 5000 not running "$fb" || true
running "$fa" && fail "F9 left the first favourite running"
running "$fb" && fail "F9 left the second favourite running"
vdrive wait-gone "E2E_FA_$tag.EXE" 3000 || fail "the first favourite's row stayed"
vdrive wait-gone "E2E_FB_$tag.EXE" 3000 || fail "the second favourite's row stayed"
expect_eq "status pane 1 after F9" "[2 ended]" "$(vdrive status 1)"

# Gentle: a window that honours WM_CLOSE ends, one that ignores it survives with its row.
# While the ignoring one is waited for, the window goes on answering; the screenshot taken
# then shows the status bar naming it (the texts themselves are checked by the unit tests).
reg_set Setting Gentle 1
close_vantrel
start_victim window "e2e_gh_$tag.exe" honour
gh=$VICTIM_PID
start_victim window "e2e_gi_$tag.exe" ignore
gi=$VICTIM_PID
reg_set Settings Fav0 "E2E_GH_$tag.EXE"
reg_set Settings Fav1 "E2E_GI_$tag.EXE"
start_vantrel
vdrive wait-row "E2E_GI_$tag.EXE" 10000 || fail "gentle victims not listed"
keys F9
wait_until 5000 not running "$gh" || true
shot gentle-wait
# The survivor is named, with its reason, in a box and in one line on the status bar.
report=$(vdrive answer 10000) || fail "no report of the survivor after the gentle kills"
grep -q "E2E_GI_$tag.EXE (PID $(printf '%X' "$gi")): still running: asked to close, it did not within 5 seconds" <<<"$report" ||
    fail "the report: $report"
expect_eq "status pane 1 after the gentle kills" "[1 ended, 1 still running]" "$(vdrive status 1)"
running "$gh" && fail "the gentle kill did not end the window that honours WM_CLOSE"
running "$gi" || fail "the gentle kill ended the window that ignores WM_CLOSE"
vdrive wait-row "E2E_GI_$tag.EXE" 100 || fail "the survivor's row was removed"
vdrive wait-gone "E2E_GH_$tag.EXE" 100 || fail "the gently killed row stayed"

# F10 with favourites that are not running: nothing to kill, and the program closes.
reg_set Settings Fav0 "NOT_RUNNING_$tag.EXE"
reg_clear Settings Fav1
keys F10
wait_exit
running "$gi" || fail "F10 killed a process that is not a favourite"

# Kill Favorites passes over Vantrel itself and ends the rest; F10 with the same list ends
# the rest and closes Vantrel the normal way, storing its column widths.
reg_set Setting Gentle 0
reg_set Settings Fav0 VANTREL.EXE
for round in F9 F10; do
    start_victim console "e2e_self_${round}_$tag.exe" 0
    other=$VICTIM_PID
    reg_set Settings Fav1 "E2E_SELF_${round}_$tag.EXE"
    reg_clear Grid
    start_vantrel
    vdrive wait-row "E2E_SELF_${round}_$tag.EXE" 10000 || fail "victim not listed ($round)"
    keys "$round"
    wait_until 5000 not running "$other" || fail "$round left the other favourite running"
    if [ "$round" = F9 ]; then
        vdrive wait-gone "E2E_SELF_${round}_$tag.EXE" 5000 || fail "F9 did not refresh after"
        vdrive wait-main 1000 >/dev/null || fail "F9 ended Vantrel itself"
        close_vantrel
    else
        wait_exit
        expect_eq "the exit status" 0 "$(exit_status)" "closed by F10"
        for i in 0 1 2 3 4; do expect_reg_number Grid col$i "closed by F10"; done
    fi
done

# Gently, three programs that ignore the close request: the pass takes one wait, not three,
# and the list answers another program meanwhile.
reg_set Setting Gentle 1
reg_clear Settings
stubborn=()
for i in 0 1 2; do
    start_victim window "e2e_stub${i}_$tag.exe" ignore
    stubborn+=("$VICTIM_PID")
    reg_set Settings "Fav$i" "E2E_STUB${i}_$tag.EXE"
done
start_vantrel
vdrive wait-row "E2E_STUB2_$tag.EXE" 10000 || fail "stubborn victims not listed"
favourites_enabled() { [ "$(vdrive toolbar 32777)" = enabled ]; }
wait_until 3000 favourites_enabled || fail "Kill Favorites is not enabled"
start_ms=$(date +%s%3N)
keys F9
wait_until 3000 not favourites_enabled || fail "Kill Favorites stayed enabled during the pass"
sleep 1
read -r answer_ms rows < <(vdrive ask-rows) || fail "the list did not answer during the pass"
shot gentle-pass
report=$(vdrive answer 15000) || fail "the gentle pass did not end with its report"
elapsed=$(($(date +%s%3N) - start_ms))
[ "$(grep -c "did not within 5 seconds" <<<"$report")" = 3 ] || fail "the report: $report"
echo "gentle pass of three stubborn programs: ${elapsed} ms; the list answered in ${answer_ms} ms"
[ "$answer_ms" -lt 1000 ] || fail "the list took ${answer_ms} ms to answer during the pass"
[ "$rows" -gt 0 ] || fail "the list answered with no rows"
[ "$elapsed" -lt 8000 ] || fail "the gentle pass took ${elapsed} ms"
for p in "${stubborn[@]}"; do running "$p" || fail "a stubborn program was forced"; done
close_vantrel

# F10 with an empty list: the message, and the program stays open.
reg_clear Settings
start_vantrel
keys F10
vdrive msgbox 5000 >/dev/null || fail "no message for F10 with an empty list"
keys_here Return
vdrive wait-main 1000 >/dev/null || fail "F10 with an empty list closed the program"
close_vantrel
echo PASS

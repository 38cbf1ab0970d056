#!/usr/bin/env bash
# The favourites through the real program: F2 opens the editor, a candidate moved across and
# confirmed with OK is stored as Fav0 and then killed by F9; Cancel stores nothing.
. "$(dirname "$0")/lib.sh"

reset_state
reg_set Newbie Start 0
tag=$$_$RANDOM
name=E2E_CAND_$tag.EXE
start_victim console "e2e_cand_$tag.exe" 0
cand=$VICTIM_PID
start_vantrel
vdrive wait-row "$name" 10000 || fail "victim not listed"
is_favourite() { vdrive listbox "$dlg" 1001 | grep -qx "$name"; }
dialog_open() { vdrive dialog Favorites 0 >/dev/null; }

# Cancel after a move stores nothing.
keys F2
dlg=$(vdrive dialog Favorites 5000) || fail "F2 did not open the Favorites dialog"
vdrive listbox "$dlg" 1000 | grep -qx "$name" || fail "the victim is not a candidate"
vdrive lbselect "$dlg" 1000 "$name" || fail "could not select the candidate"
vdrive click "$dlg" 1002 || fail "could not click -->"
wait_until 3000 is_favourite || fail "--> did not move the candidate"
shot dialog
keys_in Favorites Escape
wait_until 3000 not dialog_open || fail "Escape did not close the Favorites dialog"
reg_key_exists "$KEY\\Settings" && fail "Cancel stored favourites"

# OK stores the moved name as Fav0 and the kill mode.
keys F2
dlg=$(vdrive dialog Favorites 5000) || fail "F2 did not open the Favorites dialog again"
vdrive lbselect "$dlg" 1000 "$name" || fail "could not select the candidate again"
vdrive click "$dlg" 1002 || fail "could not click --> again"
wait_until 3000 is_favourite || fail "--> did not move the candidate again"
vdrive click "$dlg" 1 || fail "could not click OK"
wait_until 3000 not dialog_open || fail "OK did not close the Favorites dialog"
expect_reg Settings Fav0 "$name" "after OK"
expect_reg Setting Gentle 0 "after OK"

keys F9
wait_until 5000 not vdrive running "$cand" >/dev/null || fail "F9 did not kill the new favourite"
close_vantrel
echo PASS

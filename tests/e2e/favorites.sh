#!/usr/bin/env bash
# The favourites through the real program: F2 opens the editor, a candidate moved across and
# confirmed with OK is stored as Fav0 and then killed by F9; Cancel stores nothing; a shorter
# list ends where it ends; a save that fails is said and keeps the dialog open; a name in
# another script typed into the Add Process Name dialog is stored with its own letters.
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

# Two favourites saved over five: the value after them ends the list.
for i in 0 1 2 3 4; do wrun reg add "$KEY\\Settings" /v "Fav$i" /d "OLD$i.EXE" /f >/dev/null; done
keys F2
dlg=$(vdrive dialog Favorites 5000) || fail "F2 did not open the Favorites dialog (five)"
for i in 0 1 2; do
    vdrive lbselect "$dlg" 1001 "OLD$i.EXE" || fail "could not select OLD$i.EXE"
    vdrive click "$dlg" 1003
    gone_from_list() { ! vdrive listbox "$dlg" 1001 | grep -qx "$1"; }
    wait_until 3000 gone_from_list "OLD$i.EXE" || fail "<-- did not remove OLD$i.EXE"
done
vdrive click "$dlg" 1
wait_until 3000 not dialog_open || fail "OK did not close the Favorites dialog (five)"
[ "$(reg_read Settings Fav0) $(reg_read Settings Fav1)" = "OLD3.EXE OLD4.EXE" ] ||
    fail "saved: $(reg_read Settings Fav0) $(reg_read Settings Fav1)"
[ -z "$(reg_read Settings Fav2)" ] || fail "Fav2 holds '$(reg_read Settings Fav2)'"

# A Settings key nobody may write to: OK says why and keeps the dialog open; once the key
# can be written again, OK saves.
regtool lock "$KEY\\Settings" || fail "cannot lock the Settings key"
keys F2
dlg=$(vdrive dialog Favorites 5000) || fail "F2 did not open the Favorites dialog (locked)"
vdrive lbselect "$dlg" 1001 OLD3.EXE || fail "could not select OLD3.EXE"
vdrive click "$dlg" 1003
vdrive click "$dlg" 1
msg=$(vdrive msgbox 5000) || { regtool unlock "$KEY\\Settings"; fail "no message when the favourites could not be saved"; }
shot save-failed
regtool unlock "$KEY\\Settings" || fail "cannot unlock the Settings key"
case "$msg" in
"Your Favorites could not be saved."*[a-z]*) ;;
*) fail "message: $msg" ;;
esac
vdrive answer 2000 >/dev/null || fail "the message could not be answered"
dialog_open || fail "the Favorites dialog closed although nothing was saved"
[ "$(reg_read Settings Fav0)" = OLD3.EXE ] || fail "a locked key was changed"
vdrive click "$dlg" 1
wait_until 3000 not dialog_open || fail "OK did not close the Favorites dialog once it could save"
[ "$(reg_read Settings Fav0)" = OLD4.EXE ] || fail "the second OK saved '$(reg_read Settings Fav0)'"
[ -z "$(reg_read Settings Fav1)" ] || fail "Fav1 holds '$(reg_read Settings Fav1)'"

# Typed with the keyboard: the registry holds the name's UTF-16 letters, upper-cased.
keys F2
dlg=$(vdrive dialog Favorites 5000) || fail "F2 did not open the Favorites dialog (typed)"
vdrive click "$dlg" 3 || fail "could not click Manually Add Name"
vdrive dialog "Add Process Name" 5000 >/dev/null || fail "no Add Process Name dialog"
type_in "Add Process Name" "游戏.exe"
shot typed-name
keys_in "Add Process Name" Return
add_closed() { ! vdrive dialog "Add Process Name" 0 >/dev/null; }
wait_until 3000 add_closed || fail "OK did not close the Add Process Name dialog"
shot typed-favourite
vdrive click "$dlg" 1
wait_until 3000 not dialog_open || fail "OK did not close the Favorites dialog (typed)"
utf16=$(printf '%s\0' "游戏.EXE" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n')
regtool dump "$KEY" | grep -qP "^Settings\tFav1\t1\t$utf16\$" ||
    fail "Fav1 is not 游戏.EXE: $(regtool dump "$KEY" | grep -P '^Settings\tFav1\t')"
close_vantrel
echo PASS

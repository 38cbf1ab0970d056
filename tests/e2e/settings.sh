#!/usr/bin/env bash
# Where the settings live: the person's own key. The first start takes over what an earlier
# version kept in the machine's key or in the person's virtual-store copy of it, and never
# writes there; a normal close writes to the person's key only.
. "$(dirname "$0")/lib.sh"

tag=$$_$RANDOM
put_text() { regtool put "$1" "$2" 1 "$(printf '%s' "$3" | od -An -tx1 | tr -d ' \n')00" >/dev/null; }
# A value's type and data as regtool dumps them (data as stored: UTF-16 text).
dumped() { regtool dump "$KEY" | awk -F'\t' -v k="$1" -v v="$2" '$1 == k && $2 == v { print $3 "\t" $4 }'; }

# Only the machine's key: favourites, the kill mode as a number an administrator's script
# wrote (gently: the window that honours WM_CLOSE ends, the console program has no window and
# stays) and the warning marked as shown.
reset_state
start_victim window "e2e_mw_$tag.exe" honour
win=$VICTIM_PID
start_victim console "e2e_mc_$tag.exe" 0
con=$VICTIM_PID
put_text "$MACHINE_KEY\\Settings" Fav0 "E2E_MW_$tag.EXE"
put_text "$MACHINE_KEY\\Settings" Fav1 "e2e_mc_$tag.exe"
regtool put "$MACHINE_KEY\\Setting" Gentle 4 01000000 >/dev/null
put_text "$MACHINE_KEY\\Newbie" Start 0
machine_before=$(regtool dump "$MACHINE_KEY")
start_vantrel
state=$(vdrive wait-start 15000) || fail "neither warning nor list"
[ "$state" = rows ] || fail "the first-run warning came although the old settings said it was shown"
vdrive wait-row "E2E_MC_$tag.EXE" 10000 || fail "the victims are not listed"
[ "$(reg_read Settings Fav0)" = "E2E_MW_$tag.EXE" ] || fail "per-user Fav0: '$(reg_read Settings Fav0)'"
[ "$(reg_read Settings Fav1)" = "e2e_mc_$tag.exe" ] || fail "per-user Fav1: '$(reg_read Settings Fav1)'"
[ "$(dumped Setting Gentle)" = "$(printf '4\t01000000')" ] || fail "Gentle copied as '$(dumped Setting Gentle)'"
keys F9
wait_until 10000 not vdrive running "$win" >/dev/null || fail "F9 did not end the windowed favourite"
# Gently, the console favourite has no window to ask: the pass says so and it runs on.
report=$(vdrive answer 10000) || fail "no report of the favourite that was not ended"
grep -q "E2E_MC_$tag.EXE .*no window" <<<"$report" || fail "the report: $report"
vdrive running "$con" >/dev/null || fail "the console favourite was ended: the kill mode was not gentle"

# A normal close writes the placement and the column widths to the person's key only.
close_vantrel
for v in x y cx cy; do [ -n "$(reg_read Screen $v)" ] || fail "Screen\\$v not in the per-user key"; done
for i in 0 1 2 3 4; do [ -n "$(reg_read Grid col$i)" ] || fail "Grid\\col$i not in the per-user key"; done
[ "$(regtool dump "$MACHINE_KEY")" = "$machine_before" ] || fail "the machine's key was changed"
reg_key_exists "$VSTORE_KEY" && fail "a virtual-store copy was made"

# The person's virtual-store copy wins over a different machine key: its two favourites,
# not the machine's five, and the warning as it says.
reset_state
put_text "$VSTORE_KEY\\Settings" Fav0 MINE0.EXE
put_text "$VSTORE_KEY\\Settings" Fav1 MINE1.EXE
put_text "$VSTORE_KEY\\Newbie" Start 0
for i in 0 1 2 3 4; do put_text "$MACHINE_KEY\\Settings" "Fav$i" "MACHINE$i.EXE"; done
put_text "$MACHINE_KEY\\Newbie" Start 1
start_vantrel
state=$(vdrive wait-start 15000) || fail "neither warning nor list"
[ "$state" = rows ] || fail "a warning: the machine's key was taken over the person's copy"
[ "$(reg_read Settings Fav0) $(reg_read Settings Fav1)" = "MINE0.EXE MINE1.EXE" ] ||
    fail "favourites taken: $(regtool dump "$KEY\\Settings" | tr '\n' ' ')"
[ -z "$(reg_read Settings Fav2)" ] || fail "the machine's Fav2 shows through"
close_vantrel
reset_state
echo PASS

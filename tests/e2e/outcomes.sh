#!/usr/bin/env bash
# What became of each process, and why, with real victims: a gentle F9 over a mix (ended, no
# window, ignores the request, hides its window, Vantrel itself) and a forced one over a
# process nobody may open say it in the status bar and a box, the windowless one without a
# wait; F10 with a survivor stays open; /kill names each reason, and from a shortcut says in
# a box what it did not end unless /quiet; F8 on a process that refuses termination offers
# the restart as administrator, which starts a second Vantrel and closes the first the
# normal way. (Wine lets anyone wait for a process nobody may open, so a gentle kill of one
# gets as far as asking it; Windows refuses it at once.)
. "$(dirname "$0")/lib.sh"

reset_state
reg_set Newbie Start 0
tag=$$_$RANDOM
pid_of() { printf '%X' "$1"; }
# expect_line REPORT NAME PID REASON: the report has the line the box shows for a process.
expect_line() {
    grep -qF "$2 (PID $(pid_of "$3")): $4" <<<"$1" || fail "no line '$2 (PID $(pid_of "$3")): $4' in: $1"
}
start_victim window "e2e_oh_$tag.exe" honour
honour=$VICTIM_PID
start_victim console "e2e_oc_$tag.exe" 0
console=$VICTIM_PID
start_victim window "e2e_oi_$tag.exe" ignore
ignore=$VICTIM_PID
start_victim window "e2e_ow_$tag.exe" hide
hide=$VICTIM_PID
mkdir -p "$WINEPREFIX/drive_c/victims"
cp "$VANTREL_TESTS_BIN/victim_console.exe" "$WINEPREFIX/drive_c/victims/e2e_ol_$tag.exe"
locked=$(vdrive start-victim "C:\\victims\\e2e_ol_$tag.exe" 0 locked) || fail "the locked victim did not start"
favourites VANTREL.EXE "e2e_oh_$tag.exe" "e2e_oc_$tag.exe" "e2e_oi_$tag.exe" "e2e_ow_$tag.exe"
reg_set Setting Gentle 1

# /kill over the mix from a script: one line per process with its reason, exit code 1.
out="$LOGDIR/outcomes.kill.out"
rc=0
(cd "$VANTREL_BIN" && "$WINELOADER" Vantrel.exe /kill >"$out" 2>/dev/null </dev/null) || rc=$?
expect_eq "/kill's exit code over the mix" 1 "$rc"
lines=$(tr -d '\r' <"$out")
for expected in "E2E_OH_$tag.EXE $(pid_of "$honour") ended" \
    "E2E_OC_$tag.EXE $(pid_of "$console") not asked: it has no window" \
    "E2E_OI_$tag.EXE $(pid_of "$ignore") still running: asked to close, it did not within 5 seconds" \
    "E2E_OW_$tag.EXE $(pid_of "$hide") still running: its windows closed, but it did not end"; do
    grep -qF "$expected" <<<"$lines" || fail "no line '$expected' in: $lines"
done
grep -q "^VANTREL.EXE .* skipped: Vantrel itself$" <<<"$lines" || fail "Vantrel itself not passed over: $lines"

# From a shortcut (no console, no output) a box says what was not ended; /quiet shows none.
favourites "e2e_ol_$tag.exe"
"$WINELOADER" "$VANTREL_TESTS_BIN/vdrive.exe" run 20000 "\"$(winpath "$VANTREL_BIN/Vantrel.exe")\" /kill /force" detached \
    >"$LOGDIR/outcomes.shortcut.out" 2>&1 </dev/null &
shortcut=$!
box=$(vdrive answer 15000) || fail "no box for /kill from a shortcut"
grep -qF "E2E_OL_$tag.EXE (PID $(pid_of "$locked")): refused: access denied" <<<"$box" || fail "the shortcut's box: $box"
wait "$shortcut" || true
expect_eq "/kill's exit code from a shortcut" 1 "$(tr -d '\r' <"$LOGDIR/outcomes.shortcut.out")"
rc=$(vdrive run 20000 "\"$(winpath "$VANTREL_BIN/Vantrel.exe")\" /kill /quiet /force" detached) ||
    fail "/kill /quiet from a shortcut did not end (a box?): $rc"
expect_eq "/kill /quiet's exit code" 1 "$rc"
if vdrive msgbox 500 >/dev/null; then fail "a box with /quiet"; fi

# The window, gently, over the same mix with new programs that honour and hide.
start_victim window "e2e_oh2_$tag.exe" honour
honour=$VICTIM_PID
start_victim window "e2e_ow2_$tag.exe" hide
hide=$VICTIM_PID
favourites VANTREL.EXE "e2e_oh2_$tag.exe" "e2e_oc_$tag.exe" "e2e_oi_$tag.exe" "e2e_ow2_$tag.exe"
start_vantrel
vdrive wait-row "E2E_OH2_$tag.EXE" 10000 || fail "victims not listed"
keys F9
report=$(vdrive answer 15000) || fail "no report after F9 over the mix"
expect_line "$report" "E2E_OC_$tag.EXE" "$console" "not asked: it has no window"
expect_line "$report" "E2E_OI_$tag.EXE" "$ignore" "still running: asked to close, it did not within 5 seconds"
expect_line "$report" "E2E_OW2_$tag.EXE" "$hide" "still running: its windows closed, but it did not end"
grep -q "VANTREL.EXE (PID .*): skipped: Vantrel itself" <<<"$report" || fail "Vantrel itself not in: $report"
grep -q "E2E_OH2_" <<<"$report" && fail "the ended program is in the report: $report"
expect_eq "status pane 1 after F9" "[1 ended, 3 still running, 1 passed over]" "$(vdrive status 1)"
shot mix

# Forced, a process nobody may open is refused. Started as Wine starts programs, Vantrel
# runs elevated: there is no restart to offer.
reg_set Setting Gentle 0
favourites "e2e_ol_$tag.exe"
close_vantrel
start_vantrel
vdrive wait-row "E2E_OL_$tag.EXE" 10000 || fail "the locked victim is not listed"
keys F9
report=$(vdrive answer 10000) || fail "no report after F9 over the locked victim"
expect_line "$report" "E2E_OL_$tag.EXE" "$locked" "refused: access denied"
grep -q "administrator?" <<<"$report" && fail "a restart offered to an elevated Vantrel: $report"
expect_eq "status pane 1 after the forced F9" "[1 refused]" "$(vdrive status 1)"
reg_set Setting Gentle 1
close_vantrel
start_vantrel
vdrive wait-rows 10000 >/dev/null || fail "no rows after the start in gentle mode"

# The windowless program alone: reported at once, without the gentle wait.
favourites "e2e_oc_$tag.exe"
start_ms=$(date +%s%3N)
keys F9
report=$(vdrive answer 10000) || fail "no report for the windowless favourite"
elapsed=$(($(date +%s%3N) - start_ms))
[ "$elapsed" -lt 3000 ] || fail "the windowless favourite took $elapsed ms to report"
expect_line "$report" "E2E_OC_$tag.EXE" "$console" "not asked: it has no window"

# F10 with a survivor: the report, and Vantrel stays open.
reg_set Settings Fav0 "e2e_oi_$tag.exe"
keys F10
vdrive answer 15000 >/dev/null || fail "no report after F10 with a survivor"
vdrive wait-main 1000 >/dev/null || fail "F10 closed Vantrel although a favourite survived"

# F8 on a process that refuses termination: the box names it and offers the restart as
# administrator; Yes starts a second Vantrel (runas) and the first closes the normal way.
reg_set Setting Gentle 0
close_vantrel
start_victim console "e2e_od_$tag.exe" "0 noterminate"
deny=$VICTIM_PID
reg_clear Grid
# Started as Windows starts an administrator's programs: not elevated.
"$WINELOADER" "$VANTREL_TESTS_BIN/vdrive.exe" run 60000 "\"$(winpath "$VANTREL_BIN/Vantrel.exe")\"" limited \
    >"$LOGDIR/outcomes.first.out" 2>&1 </dev/null &
first=$!
vdrive wait-main 20000 >/dev/null || fail "the unelevated Vantrel did not open: $(cat "$LOGDIR/outcomes.first.out")"
vdrive wait-row "E2E_OD_$tag.EXE" 20000 || fail "the victim that refuses termination is not listed"
vdrive select "E2E_OD_$tag.EXE" || fail "cannot select it"
keys F8
box=$(vdrive msgbox 10000) || fail "no box after F8 on a process that refuses termination"
expect_line "$box" "E2E_OD_$tag.EXE" "$deny" "refused: access denied"
grep -q "Restart Vantrel as administrator?" <<<"$box" || fail "no offer to restart: $box"
vdrive wait-row "E2E_OD_$tag.EXE" 1000 || fail "the row of the process that refused left the list"
shot restart-offer
vdrive answer 2000 yes >/dev/null || fail "cannot answer Yes"
wait "$first" || fail "the first Vantrel did not close after the restart: $(cat "$LOGDIR/outcomes.first.out")"
expect_eq "the first Vantrel's exit status" 0 "$(tr -d '\r' <"$LOGDIR/outcomes.first.out")"
for i in 0 1 2 3 4; do expect_reg_number Grid "col$i" "the first Vantrel closed for the restart"; done
vdrive wait-main 20000 >/dev/null || fail "no second Vantrel after the restart"
vdrive wait-rows 10000 >/dev/null || fail "no rows in the second Vantrel"
expect_eq "Kill Selected in the restarted Vantrel" disabled "$(vdrive toolbar 32775)"
vdrive running "$deny" >/dev/null || fail "the victim that refuses termination was ended"
vdrive close >/dev/null
vdrive wait-exit 20000 || fail "the second Vantrel did not close"

echo PASS

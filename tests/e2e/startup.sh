#!/usr/bin/env bash
# First and second start of the real program: settings key, INI import, placement, the
# first-run warning, the first listing, Refresh, the bar toggles, Save, and what closing stores.
. "$(dirname "$0")/lib.sh"

reset_state
printf '[Settings]\r\nFav0=calc.exe\r\n[ Custom ]\r\nhello=world\r\n' >"$(windows_dir)/Vantrel.INI"
tag=$$_$RANDOM
start_victim console "e2e_first_$tag.exe" 2
first=E2E_FIRST_$tag.EXE

start_vantrel
expect_eq "the title bar" Vantrel "$(vdrive wait-main 1000)"
reg_key_exists "$KEY" || fail "the settings key was not created"
expect_reg Custom hello world "imported from the INI file"
expect_reg Settings Fav0 calc.exe "imported from the INI file"
for v in x y cx cy; do expect_reg_number Screen $v "the first placement"; done

warning=$(vdrive msgbox 10000) || fail "no first-run warning"
expected="Vantrel is for advanced users.Take care when killing programs that livein the Windows folder or its sub-folders."
expect_eq "the first-run warning" "$expected" "$(echo "$warning" | tr -d '\n')"
[ -z "$(vdrive rows)" ] || fail "the list filled before the warning was closed"
shot warning
keys_here Return
vdrive wait-row "$first" 10000 || fail "the victim is not listed after the warning"
expect_reg Newbie Start 0 "once the warning was read"
row=$(vdrive rows | grep "^$first") || fail "no row $first in the list"
expect_eq "the victim's thread count" 3 "$(echo "$row" | cut -f4)" "row: $row"
expect_eq "the victim's PID column" "$(printf '%X' "$VICTIM_PID")" "$(echo "$row" | cut -f2)"
shot list

# Refresh shows a process started after the first listing.
start_victim console "e2e_later_$tag.exe" 0
keys F5
vdrive wait-row "E2E_LATER_$tag.EXE" 5000 || fail "F5 did not show the new victim"

# A click on the PID column's header sorts by the id as a number, a second click reverses;
# F5 keeps the order.
pids_sorted() { # asc|desc: whether the PID column is in that order, read as hexadecimal numbers
    local prev="" p
    for p in $(vdrive rows | cut -f2); do
        p=$((16#$p))
        if [ -n "$prev" ]; then
            if [ "$1" = asc ]; then [ "$p" -ge "$prev" ] || return 1; else [ "$p" -le "$prev" ] || return 1; fi
        fi
        prev=$p
    done
}
click_header() {
    local x y
    read -r x y < <(vdrive header-point "$1") || fail "no point on the header of column $1"
    sleep 0.6 # apart from the click before by more than the double-click time
    xdotool mousemove "$x" "$y" click 1
}
vdrive rows | cut -f2 | grep -q '^...$' && vdrive rows | cut -f2 | grep -q '^..$' ||
    echo "note: the ids here all have the same number of digits; text order would pass too"
click_header 1
wait_until 3000 pids_sorted asc || fail "a click on PID did not sort by id: $(vdrive rows | cut -f2 | tr '\n' ' ')"
shot sorted-by-pid
click_header 1
wait_until 3000 pids_sorted desc || fail "a second click on PID did not reverse the order"
keys F5
vdrive wait-row "E2E_LATER_$tag.EXE" 5000 || fail "F5 lost a row"
pids_sorted desc || fail "F5 did not keep the order"
click_header 0
names_sorted() { vdrive rows | cut -f1 | LC_ALL=C sort -c 2>/dev/null; }
wait_until 3000 names_sorted || fail "a click on Process did not sort by name again"

# The View menu's toggles hide and show the bars.
keys alt+v t
expect_eq "the bars after View > Toolbar" "toolbar=0 statusbar=1" "$(vdrive bars)"
keys alt+v s
expect_eq "the bars after View > Status Bar" "toolbar=0 statusbar=0" "$(vdrive bars)"
keys alt+v t alt+v s
expect_eq "the bars shown again" "toolbar=1 statusbar=1" "$(vdrive bars)"

# Save writes an empty file under the chosen name.
saved="$WINEPREFIX/drive_c/saved_$tag.vtr"
keys ctrl+s
vdrive dialog "Save As" 10000 >/dev/null || fail "no Save As dialog"
xdotool type --delay 30 "C:\\saved_$tag.vtr"
keys_here Return
wait_until 5000 test -f "$saved" || true
[ -f "$saved" ] && [ ! -s "$saved" ] || fail "Save did not write an empty file"

# Closing stores the column widths as they are.
read -ra widths < <(vdrive widths) || fail "the column widths could not be read"
close_vantrel
for i in 0 1 2 3 4; do expect_reg Grid col$i "${widths[i]:-}" "the width shown"; done

# Second start: no warning, the list fills by itself, and the widths come back as stored - also
# a path column widened past the window's edge.
reg_set Grid col4 1200
start_vantrel
if vdrive msgbox 1500 >/dev/null; then fail "the warning came again"; fi
vdrive wait-row "$first" 5000 || fail "second start did not list the victim"
expect_eq "the column widths at the second start" "${widths[*]:0:4} 1200" "$(vdrive widths | tr -d '\n')"
close_vantrel
echo "PASS"

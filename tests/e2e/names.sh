#!/usr/bin/env bash
# Names in any script: programs named with CJK letters, an emoji and Cyrillic (one in a
# Cyrillic folder) each get a row of their own with their exact name and path; one of two
# CJK names of the same length made a favourite in the Favorites dialog is the only one F9
# ends; the stored name is exact; /kill names it exactly in its redirected output (UTF-8).
. "$(dirname "$0")/lib.sh"

reset_state
reg_set Newbie Start 0
tag=$$_$RANDOM
game="游戏_$tag.exe"
music="音乐_$tag.exe"
emoji="🎮_$tag.exe"
start_victim console "$game" 0
game_pid=$VICTIM_PID
start_victim console "$music" 0
music_pid=$VICTIM_PID
start_victim console "$emoji" 0
# A folder named in Cyrillic (upper-case letters, so the list shows them as they are).
folder="ПУТИ_$tag"
mkdir -p "$WINEPREFIX/drive_c/$folder"
cp "$VANTREL_TESTS_BIN/victim_console.exe" "$WINEPREFIX/drive_c/$folder/plain_$tag.exe"
plain_pid=$(vdrive start-victim "C:\\$folder\\plain_$tag.exe" 0) || fail "the victim in $folder did not start"
VICTIM_PIDS+=("$plain_pid")

start_vantrel
upper() { echo "${1%.exe}.EXE"; }
row_of() { vdrive rows | awk -F'\t' -v n="$1" '$1 == n'; }
for name in "$game" "$music" "$emoji"; do
    vdrive wait-row "$(upper "$name")" 10000 >/dev/null || fail "no row named $(upper "$name"): $(vdrive rows | cut -f1 | tr '\n' ' ')"
    expect_eq "the path of $name" "C:\\VICTIMS\\$(upper "$name")" "$(row_of "$(upper "$name")" | cut -f5)"
done
expect_eq "the path of plain_$tag.exe" "C:\\$folder\\PLAIN_$tag.EXE" "$(row_of "PLAIN_$tag.EXE" | cut -f5)"
expect_eq "the PID of $game" "$(printf '%X' "$game_pid")" "$(row_of "$(upper "$game")" | cut -f2)"
shot list

# The game made a favourite through the dialog; F9 ends it, the music plays on.
keys F2
dlg=$(vdrive dialog Favorites 5000) || fail "F2 did not open the Favorites dialog"
vdrive lbselect "$dlg" 1000 "$(upper "$game")" || fail "$(upper "$game") is not a candidate: $(vdrive listbox "$dlg" 1000 | tr '\n' ' ')"
vdrive click "$dlg" 1002 || fail "could not click -->"
wait_until 3000 eval 'vdrive listbox "$dlg" 1001 | grep -qxF "$(upper "$game")"' || fail "--> did not move $game"
shot favorites
vdrive click "$dlg" 1 || fail "could not click OK"
wait_until 3000 not vdrive dialog Favorites 0 >/dev/null || fail "OK did not close the Favorites dialog"
utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n'; }
stored=$(regtool dump "$KEY\\Settings" | awk -F'\t' '$2 == "Fav0" { print $4 }')
expect_eq "Fav0 as the registry holds it (UTF-16)" "$(utf16 "$(upper "$game")")0000" "$stored"
keys F9
wait_until 5000 not vdrive running "$game_pid" >/dev/null || fail "F9 did not end $game"
vdrive running "$music_pid" >/dev/null || fail "F9 ended $music, a name of the same length"
close_vantrel

# /kill ends a favourite and names it in UTF-8 when its output is redirected.
out="$LOGDIR/names.kill.out"
reg_set Settings Fav0 "$music"
rc=0
(cd "$VANTREL_BIN" && "$WINELOADER" Vantrel.exe /kill >"$out" 2>/dev/null </dev/null) || rc=$?
expect_eq "/kill's exit code" 0 "$rc"
vdrive running "$music_pid" >/dev/null && fail "/kill did not end $music"
expect_eq "/kill's line" "$(upper "$music") $(printf '%X' "$music_pid") ended" "$(tr -d '\r' <"$out")"
echo PASS

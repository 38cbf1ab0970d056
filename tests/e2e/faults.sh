#!/usr/bin/env bash
# The real program against a missing or broken VN.DLL, a VN.DLL planted in the current
# directory, and a settings key that cannot be written or created. Nothing may be lost.
. "$(dirname "$0")/lib.sh"

reset_state
reg_put Newbie Start 1 3000
reg_put Settings Fav0 1 "$(printf 'KEEP.EXE' | od -An -tx1 | tr -d ' \n')"
reg_put Setting Gentle 1 3100
tag=$$_$RANDOM
drive_c="$WINEPREFIX/drive_c"

# A copy of the program in a folder of its own, with the given library (or none) as VN.DLL.
program_in() {
    local dir="$drive_c/$1" lib=${2:-}
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$VANTREL_BIN/Vantrel.exe" "$dir/"
    [ -z "$lib" ] || cp "$VANTREL_TESTS_BIN/$lib" "$dir/VN.DLL"
}
# Settings other than placement and column widths must be as they were.
settings() { regtool dump "$KEY" | grep -v -P '^(Screen|Grid)\t' || true; }
before=$(settings)

# No VN.DLL: the message, then the program closes by itself.
program_in "vmissing_$tag"
start_vantrel "$drive_c/vmissing_$tag"
msg=$(vdrive answer 10000) || fail "no message without VN.DLL"
expect_eq "the message without VN.DLL" "Failed to load VN.DLL" "$msg"
wait_exit
expect_eq "the exit status" 0 "$(exit_status)" "without VN.DLL"
[ "$(settings)" = "$before" ] || fail "settings changed without VN.DLL"

# A VN.DLL without VN_KILL: the program closes without a message.
# (The window may be gone before a reader could see it, so the start does not wait for it.)
program_in "vnokill_$tag" fake_vn_nokill.dll
(cd "$drive_c/vnokill_$tag" && exec "$WINELOADER" Vantrel.exe >>"$LOGDIR/$TEST_NAME.app" 2>&1 </dev/null) &
VANTREL_PID=$!
wait_exit
expect_eq "the exit status" 0 "$(exit_status)" "with an export missing"
if vdrive msgbox 500 >/dev/null; then fail "a message with an export missing"; fi
[ "$(settings)" = "$before" ] || fail "settings changed with an export missing"

# A VN.DLL planted in the current directory is not loaded in place of the missing one: the
# program reports the missing library. (A planted one would list names of 'N's.)
program_in "vplant_$tag/app"
mkdir -p "$drive_c/vplant_$tag/cwd"
cp "$VANTREL_TESTS_BIN/fake_vn.dll" "$drive_c/vplant_$tag/cwd/VN.DLL"
start_vantrel "$drive_c/vplant_$tag/cwd" "C:\\vplant_$tag\\app\\Vantrel.exe"
msg=$(vdrive answer 10000) || fail "no message: the planted VN.DLL was loaded"
expect_eq "the message with a planted VN.DLL" "Failed to load VN.DLL" "$msg"
wait_exit

# A VN.DLL whose VN_GETPIW writes a whole record of garbage: paths cut at their field, names
# and ids the walk's own, and killing a row through it kills nothing.
start_victim console "e2e_bystander_$tag.exe" 0
bystander=$VICTIM_PID
program_in "vgarbage_$tag" fake_vn_garbage.dll
start_vantrel "$drive_c/vgarbage_$tag"
vdrive wait-rows 10000 || fail "no rows with a garbage VN.DLL"
vdrive wait-row "E2E_BYSTANDER_$tag.EXE" 5000 >/dev/null || fail "the bystander's row lost its name"
longest=$(vdrive lengths | awk '$2 > max { max = $2 } END { print max + 0 }')
[ "$longest" -le 1024 ] || fail "a garbage path of $longest characters: read past its field"
vdrive select-index 0 || fail "cannot select a garbage row"
vdrive command 32775 || fail "Kill Selected could not be sent"
vdrive command 32776 || fail "Refresh could not be sent"
vdrive wait-rows 10000 || fail "no rows after the refresh"
vdrive running "$bystander" >/dev/null || fail "a kill from a garbage row ended a process"
close_vantrel
expect_eq "the exit status" 0 "$(exit_status)" "with a garbage VN.DLL"
[ "$(settings)" = "$before" ] || fail "settings changed with a garbage VN.DLL"

# A settings key nobody may write: the program reads it, runs and closes; nothing changes,
# the placement and column widths included.
reg_put Screen x 1 3100
reg_put Grid col0 1 3100
all_before=$(regtool dump "$KEY")
regtool lock "$KEY" || fail "cannot lock the settings key"
start_vantrel
state=$(vdrive wait-start 15000) || fail "neither warning nor list with a locked key"
expect_eq "the start with a locked key" rows "$state" "the stored flag says the warning was shown"
vdrive wait-rows 10000 || fail "no rows with a locked key"
vdrive command 32776 || fail "Refresh could not be sent"
vdrive wait-rows 10000 || fail "no rows after a refresh with a locked key"
close_vantrel
expect_eq "the exit status" 0 "$(exit_status)" "with a locked key"
regtool unlock "$KEY" || fail "cannot unlock the settings key"
[ "$(regtool dump "$KEY")" = "$all_before" ] || fail "a locked key was changed"

# A settings key that cannot be created (its parent is volatile): defaults, and no key.
reset_state
wrun reg delete 'HKCU\Software\Trelmont Software' /f >/dev/null 2>&1 || true
regtool volatile 'HKCU\Software\Trelmont Software' || fail "cannot create the volatile parent"
printf '[Settings]\r\nFav0=imported.exe\r\n' >"$(windows_dir)/Vantrel.INI"
start_vantrel
state=$(vdrive wait-start 15000) || fail "neither warning nor list without a key"
expect_eq "the start without a key" warning "$state"
vdrive answer 2000 >/dev/null || fail "the warning could not be answered"
vdrive wait-rows 10000 || fail "no rows without a key"
close_vantrel
expect_eq "the exit status" 0 "$(exit_status)" "without a key"
reg_key_exists "$KEY" && fail "the settings key was created below a volatile key"
regtool delete 'HKCU\Software\Trelmont Software' || true
reset_state
echo "PASS"

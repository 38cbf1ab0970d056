#!/usr/bin/env bash
# A close request at any moment of start-up ends the program cleanly: exit code 0, the column
# widths stored as on any close, and the first-run warning still due when it was never read.
. "$(dirname "$0")/lib.sh"

# Waits for the end after a close request and checks how the program ended ($1: when).
ended_cleanly() {
    wait_exit
    [ "$(exit_status)" = 0 ] || fail "abnormal end when closed $1"
    local i
    for i in 0 1 2 3 4; do
        [ -n "$(reg_value Grid col$i)" ] || fail "Grid\\col$i was not stored when closed $1"
    done
    wrun reg delete "$KEY\\Grid" /f >/dev/null 2>&1 || true
}

# While the first-run warning is up: the warning was not read, so it is due again.
reset_state
start_vantrel
vdrive msgbox 10000 >/dev/null || fail "no first-run warning"
vdrive close >/dev/null
ended_cleanly "while the warning was up"
case "$(reg_value Newbie Start)" in
"" | 1) ;;
*) fail "Newbie\\Start is '$(reg_value Newbie Start)' after a close during the warning" ;;
esac

# The same from another program: taskkill without /F asks every window of the program to
# close, the warning's included.
reset_state
start_vantrel
vdrive msgbox 10000 >/dev/null || fail "no first-run warning"
wrun taskkill /IM Vantrel.exe >/dev/null 2>&1 || true
ended_cleanly "by taskkill while the warning was up"
case "$(reg_value Newbie Start)" in
"" | 1) ;;
*) fail "Newbie\\Start is '$(reg_value Newbie Start)' after taskkill during the warning" ;;
esac
start_vantrel
[ "$(vdrive wait-start 10000)" = warning ] || fail "the warning closed by taskkill did not come back"
vdrive close >/dev/null
ended_cleanly "while the warning was up again"

# Before the first listing: the close comes as soon as the window is there.
wrun reg add "$KEY\\Newbie" /v Start /d 0 /f >/dev/null
start_vantrel
vdrive close >/dev/null
ended_cleanly "before the first listing"

# While the Favorites dialog is open.
start_vantrel
vdrive wait-rows 10000 >/dev/null || fail "no rows"
keys F2
vdrive dialog Favorites 10000 >/dev/null || fail "no Favorites dialog"
vdrive close >/dev/null
ended_cleanly "while the Favorites dialog was open"

# While a message box is open: Kill Favorites with no favourites says so.
wrun reg delete "$KEY\\Settings" /f >/dev/null 2>&1 || true
start_vantrel
vdrive wait-rows 10000 >/dev/null || fail "no rows"
keys F9
vdrive msgbox 10000 >/dev/null || fail "no message about the empty favourites list"
vdrive close >/dev/null
ended_cleanly "while a message box was open"
echo "PASS"

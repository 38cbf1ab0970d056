#!/usr/bin/env bash
# Every value the program reads, stored with odd types and sizes: the real program starts,
# lists, refreshes, runs Kill Favorites and the Favorites dialog, and closes; what it did not
# mean to change stays byte for byte as it was.
#   oddvalues.sh quick   a few telling combinations (the normal run)
#   oddvalues.sh all     every type with every size (label "long")
. "$(dirname "$0")/lib.sh"
TEST_NAME=oddvalues-${1:-quick}

# Types: REG_SZ 1, REG_EXPAND_SZ 2, REG_MULTI_SZ 7, REG_DWORD 4, REG_BINARY 3, REG_NONE 0.
# Sizes in bytes; "z" makes the last byte a NUL.
if [ "${1:-quick}" = all ]; then
    combos=()
    for t in 1 2 7 4 3 0; do
        for s in 0 1 1z 259 259z 260 260z 261 261z; do combos+=("$t:$s"); done
    done
else
    combos=(3:261 1:260 7:259z 4:1 0:0)
fi

VALUES=("Settings Fav0" "Settings Fav1" "Setting Gentle" "Screen x" "Screen y" "Screen cx"
    "Screen cy" "Grid col0" "Grid col1" "Grid col2" "Grid col3" "Grid col4" "Newbie Start")

# The data of one combination as hex: digits (which the integer rule reads as a huge number)
# or a minus sign, a digit and high-bit bytes, in turn from one combination to the next.
data_hex() {
    local size=${1%z} nul=${1#"${1%z}"} style=$2 hex="" i
    local garbage=(2d 38 e9 c9 ff 80 a0 5c 3d 5b 5d 20 09 0d 0a 81)
    for ((i = 0; i < size; i++)); do
        if [ -n "$nul" ] && [ $i -eq $((size - 1)) ]; then
            hex+=00
        elif [ "$style" = digits ]; then
            hex+=37
        else
            hex+=${garbage[$((i % ${#garbage[@]}))]}
        fi
    done
    echo "$hex"
}

# A value the program may rewrite: decimal text of type REG_SZ (UTF-16 as stored) or unchanged.
is_decimal_sz() {
    local line=$1
    [ "$(echo "$line" | cut -f3)" = 1 ] || return 1
    local hex text=""
    hex=$(echo "$line" | cut -f4)
    # Every character is one byte and a zero byte in UTF-16 little-endian.
    while [ -n "$hex" ]; do
        local lo=${hex:0:2} hi=${hex:2:2}
        hex=${hex:4}
        [ "$hi" = 00 ] || return 1
        [ "$lo" = 00 ] && break
        text+=$(printf "\\x$lo")
    done
    [ -z "$hex" ] && [[ "$text" =~ ^-?[0-9]+$ ]]
}

n=0
for combo in "${combos[@]}"; do
    type=${combo%%:*} size=${combo#*:}
    style=digits
    [ $((n % 2)) -eq 1 ] && style=garbage
    n=$((n + 1))
    echo "== type $type, $size bytes, $style"
    reset_state
    hex=$(data_hex "$size" "$style")
    for v in "${VALUES[@]}"; do
        set -- $v
        reg_put "$1" "$2" "$type" "$hex"
    done
    # Values beside them that the program never reads stay as they are as well.
    reg_put Settings Fav3 1 414243
    reg_put Other note 3 00ff00
    before=$(regtool dump "$KEY")

    start_vantrel
    warned=0
    state=$(vdrive wait-start 15000) || fail "neither a warning nor a list ($combo)"
    if [ "$state" = warning ]; then
        vdrive answer 2000 >/dev/null || fail "the warning could not be answered ($combo)"
        warned=1
    fi
    vdrive wait-rows 10000 || fail "the list stayed empty ($combo)"
    vdrive command 32776 || fail "Refresh could not be sent ($combo)"
    vdrive wait-rows 10000 || fail "the list is empty after Refresh ($combo)"
    # Kill Favorites: with no readable name it says so.
    vdrive command 32777 || fail "Kill Favorites could not be sent ($combo)"
    vdrive answer 3000 >/dev/null || true
    # Edit Favorites, then Cancel.
    vdrive command 32771 || fail "Edit Favorites could not be sent ($combo)"
    vdrive cancel Favorites 10000 >/dev/null || fail "no Favorites dialog ($combo)"
    vdrive wait-rows 5000 || fail "the window is gone ($combo)"
    close_vantrel
    expect_eq "the exit status" 0 "$(exit_status)" "$combo"

    after=$(regtool dump "$KEY")
    # Screen and Grid may be rewritten, as decimal REG_SZ text; Newbie\Start may become "0"
    # once the warning was shown. Everything else is byte for byte as it was.
    keep() { grep -v -P '^(Screen\t(x|y|cx|cy)|Grid\tcol[0-4]|Newbie\tStart)\t' || true; }
    [ "$(echo "$before" | keep)" = "$(echo "$after" | keep)" ] ||
        fail "stored settings changed ($combo): $(diff <(echo "$before") <(echo "$after") | head -20)"
    while IFS= read -r line; do
        [ -n "$line" ] || continue
        echo "$before" | grep -qxF "$line" && continue
        name=$(echo "$line" | cut -f1,2 | tr '\t' '\\')
        case "$name" in
        'Newbie\Start')
            [ $warned = 1 ] && [ "$(echo "$line" | cut -f3,4)" = "$(printf '1\t30000000')" ] ||
                fail "Newbie\\Start rewritten as '$line' ($combo)"
            ;;
        *) is_decimal_sz "$line" || fail "$name rewritten as '$line' ($combo)" ;;
        esac
    done <<<"$(echo "$after" | grep -P '^(Screen|Grid|Newbie)\t' || true)"
done
reset_state
echo "PASS"

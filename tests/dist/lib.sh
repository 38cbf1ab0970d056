# Helpers of the download's tests. Sourced. The environment comes from ctest: VANTREL_VERSION,
# VANTREL_TESTS_BIN, VANTREL_BIN, WINEPREFIX, WINELOADER.
set -euo pipefail
export WINEDEBUG=-all
LOGDIR=${VANTREL_BIN}/dist-logs
mkdir -p "$LOGDIR"
TEST_NAME=$(basename "$0" .sh)
FAILURES=0

# Records a failed check and goes on, so that one run names every fault it finds.
check_failed() {
    echo "FAIL: $*" >&2
    FAILURES=$((FAILURES + 1))
}

# Runs a Windows program under Wine; its output goes to a file first (never a pipe that the
# Wine server could inherit), then to stdout without carriage returns.
wrun() {
    local out="$LOGDIR/$TEST_NAME.out"
    "$WINELOADER" "$@" >"$out" 2>>"$LOGDIR/$TEST_NAME.err" </dev/null
    local rc=$?
    tr -d '\r' <"$out"
    return $rc
}

verinfo() { wrun "$VANTREL_TESTS_BIN/verinfo.exe" "$@"; }

# Windows path of a Unix path inside the prefix or anywhere else (Wine's Z: drive).
winpath() { echo "Z:$1" | tr / '\\'; }

# The value of Name=value in a verinfo listing.
field() { sed -n "s/^$1=//p" <<<"$2"; }

# Checks the version resource of one file: the version, the product and company, and the
# original file name, as the system's version API reads them.
check_version() {
    local file=$1 name=$2 type=$3 info
    info=$(verinfo version "$(winpath "$file")") || { check_failed "$name has no version resource"; return; }
    local want4="$VANTREL_VERSION.0"
    [ "$(field fixed "$info")" = "$want4" ] || check_failed "$name: file version $(field fixed "$info"), want $want4"
    [ "$(field product "$info")" = "$want4" ] || check_failed "$name: product version $(field product "$info"), want $want4"
    [ "$(field FileVersion "$info")" = "$VANTREL_VERSION" ] || check_failed "$name: FileVersion '$(field FileVersion "$info")'"
    [ "$(field ProductVersion "$info")" = "$VANTREL_VERSION" ] || check_failed "$name: ProductVersion '$(field ProductVersion "$info")'"
    [ "$(field ProductName "$info")" = Vantrel ] || check_failed "$name: ProductName '$(field ProductName "$info")'"
    [ "$(field CompanyName "$info")" = "Trelmont Software" ] || check_failed "$name: CompanyName '$(field CompanyName "$info")'"
    [ -n "$(field FileDescription "$info")" ] || check_failed "$name: no FileDescription"
    if [ "$type" != setup ]; then
        [ "$(field type "$info")" = "$type" ] || check_failed "$name: file type $(field type "$info"), want $type"
        [ "$(field OriginalFilename "$info")" = "$name" ] || check_failed "$name: OriginalFilename '$(field OriginalFilename "$info")'"
    fi
}

# Checks that a file is a PE image for the given machine (i386 or amd64).
check_machine() {
    local file=$1 name=$2 want=$3 got
    got=$(verinfo machine "$(winpath "$file")") || { check_failed "$name is not a Windows image"; return; }
    [ "$got" = "$want" ] || check_failed "$name is built for $got, want $want"
}

finish() {
    if [ "$FAILURES" -gt 0 ]; then
        echo "$FAILURES check(s) failed" >&2
        exit 1
    fi
    echo PASS
}

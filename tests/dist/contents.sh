#!/usr/bin/env bash
# What the download holds: exactly Vantrel.exe, VN.DLL, README.txt and LICENSE; the program
# and the library built for the right machine, with the version in their version resources
# (read back with the system's version API) and the program's manifest; the text files in
# Windows form; and the installer beside the zip, with its own version resource.
# Checks the shipping 32-bit download and, where the tests run as x86_64, also the test-only
# 64-bit variant whose installer the installer test runs.
# Environment from ctest: VANTREL_SHIP_BASE and VANTREL_DIST_BASE (file names without
# ".zip" and "-setup.exe"), VANTREL_DIST_MACHINE (i386 or amd64) and the ones of lib.sh.
. "$(dirname "$0")/lib.sh"

check_manifest() {
    local file=$1 arch=$2 text own
    text=$(verinfo manifest "$(winpath "$file")" | tr -s ' \t\n' ' ') ||
        { check_failed "Vantrel.exe has no manifest"; return; }
    own=$(grep -o '<assemblyIdentity [^>]*name="TrelmontSoftware.Vantrel"[^>]*>' <<<"$text") ||
        { check_failed "the manifest does not name the program"; return; }
    # Windows refuses to start a program whose manifest names another architecture.
    grep -q "processorArchitecture=\"$arch\"" <<<"$own" || check_failed "manifest architecture: $own"
    grep -q "version=\"$VANTREL_VERSION.0\"" <<<"$own" || check_failed "manifest version: $own"
    grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$text" ||
        check_failed "the manifest does not ask for common controls 6"
    grep -q '<dpiAware [^>]*>true</dpiAware>' <<<"$text" || check_failed "the manifest is not DPI aware"
    # As invoked, never elevated, and with no registry virtualisation to hide failed writes.
    [ "$(grep -o '<requestedExecutionLevel [^>]*>' <<<"$text")" = \
        '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' ] ||
        check_failed "the manifest does not ask to run as invoked"
}

# Text for Windows users: every line ends in CR LF.
check_windows_text() {
    local file=$1 name=$2 lines crlf
    [ -s "$file" ] || { check_failed "$name is empty"; return; }
    lines=$(wc -l <"$file")
    crlf=$(grep -c $'\r$' "$file" || true)
    [ "$lines" = "$crlf" ] || check_failed "$name: $((lines - crlf)) of $lines lines do not end in CR LF"
}

check_download() {
    local base=$1 machine=$2 arch zip=$1.zip setup=$1-setup.exe
    arch=$([ "$machine" = i386 ] && echo x86 || echo amd64)
    echo "== $(basename "$zip")"
    if [ ! -f "$zip" ]; then
        check_failed "$zip is missing: the $machine build makes it (scripts/dist, or scripts/test)"
        return
    fi
    local names
    names=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
    [ "$names" = "LICENSE README.txt VN.DLL Vantrel.exe " ] || check_failed "the zip holds: $names"

    local dir
    dir=$(mktemp -d "$LOGDIR/unzip.XXXXXX")
    unzip -q "$zip" -d "$dir"
    check_machine "$dir/Vantrel.exe" Vantrel.exe "$machine"
    check_machine "$dir/VN.DLL" VN.DLL "$machine"
    check_version "$dir/Vantrel.exe" Vantrel.exe app
    check_version "$dir/VN.DLL" VN.DLL dll
    check_manifest "$dir/Vantrel.exe" "$arch"
    check_windows_text "$dir/README.txt" README.txt
    check_windows_text "$dir/LICENSE" LICENSE
    grep -q "^Vantrel $VANTREL_VERSION"$'\r$' "$dir/README.txt" || check_failed "README.txt does not name version $VANTREL_VERSION"
    if grep -n '@[A-Z_]*@' "$dir/README.txt"; then check_failed "README.txt has unfilled placeholders"; fi
    rm -rf "$dir"

    if [ -f "$setup" ]; then
        check_machine "$setup" "$(basename "$setup")" "$machine"
        check_version "$setup" "$(basename "$setup")" setup
    else
        check_failed "$setup is missing"
    fi
}

check_download "$VANTREL_SHIP_BASE" i386
[ "$VANTREL_DIST_BASE" = "$VANTREL_SHIP_BASE" ] || check_download "$VANTREL_DIST_BASE" "$VANTREL_DIST_MACHINE"
finish

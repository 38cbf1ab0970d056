#!/usr/bin/env bash
# Makes Vantrel's download from built files: a zip and an NSIS installer, both written
# whole or not at all. Called by the build's dist target (CMakeLists.txt).
#
#   package.sh VERSION FLAVOUR NSIS_TARGET EXE DLL README LICENSE OUTDIR STRIP
#
# FLAVOUR names the files: Vantrel-VERSION-FLAVOUR.zip and Vantrel-VERSION-FLAVOUR-setup.exe.
# NSIS_TARGET is x86 (the shipping installer) or amd64 (a test-only variant). STRIP is the
# cross toolchain's strip: the shipped copies lose their symbol tables (less than half the
# size), the build's own files keep them.
# makensis runs with warnings as errors, so a script that draws a warning fails the build.
set -euo pipefail
[ $# -eq 9 ] || { sed -n '2,12p' "$0" >&2; exit 2; }
version=$1 flavour=$2 target=$3 exe=$4 dll=$5 readme=$6 license=$7 out=$8 strip=$9
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$out"
out=$(cd "$out" && pwd)
zip=$out/Vantrel-$version-$flavour.zip
setup=$out/Vantrel-$version-$flavour-setup.exe
stage=$(mktemp -d "$out/.stage.XXXXXX")
trap 'rm -rf "$stage" "$zip.part" "$setup.part"' EXIT

cp "$exe" "$stage/Vantrel.exe"
cp "$dll" "$stage/VN.DLL"
"$strip" --strip-all "$stage/Vantrel.exe" "$stage/VN.DLL"
# Text for Windows users: CRLF line ends, whatever the checkout has.
sed 's/\r*$/\r/' "$readme" >"$stage/README.txt"
sed 's/\r*$/\r/' "$license" >"$stage/LICENSE"

rm -f "$zip.part"
(cd "$stage" && zip -q -X -9 "$zip.part" Vantrel.exe VN.DLL README.txt LICENSE)
mv -f "$zip.part" "$zip"

log=$stage/makensis.log
if ! makensis -V2 -WX -NOCD "-DVERSION=$version" "-DTARGET=$target" "-DSTAGE=$stage" \
    "-DOUTFILE=$setup.part" "$here/Vantrel.nsi" >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
mv -f "$setup.part" "$setup"
echo "$zip"
echo "$setup"

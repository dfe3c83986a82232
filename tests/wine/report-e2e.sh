#!/usr/bin/env bash
# dexal-report.exe under Wine against the native dexal-report, over the demo download with graph
# points: the same HTML bytes (SOURCE_DATE_EPOCH set; the source's SHA-256 from the static
# libgcrypt of the Windows build), with --html and --per-asset, and in the no-option form that
# dropping the file onto the program in Explorer gives.
# Usage: report-e2e.sh <bin dir of the mingw build> <bin dir of the native build> <work dir>
set -u
mingw=$1 native=$2 work=$3
: "${WINEPREFIX:?WINEPREFIX must be set}"
mkdir -p "$work"
export TZ=UTC SOURCE_DATE_EPOCH=1772700000

fail() { echo "FAIL: $*" >&2; wineserver -k 2>/dev/null; exit 1; }

rm -rf "$work"/demo.* "$work"/windows.html "$work"/native-records "$work"/windows-records
timeout 120 "$native/cli/dexal-download" --simulate --graph-points --output "$work/demo.csv" \
  >"$work/download.log" 2>&1 || fail "native download failed: $(cat "$work/download.log")"
"$native/cli/dexal-report" "$work/demo.csv" --html "$work/native.html" \
  --per-asset "$work/native-records" ||
  fail "native dexal-report failed"

wineserver -p >/dev/null 2>&1
timeout 300 wine "$mingw/cli/dexal-report.exe" "$(winepath -w "$work/demo.csv")" \
  --html "$(winepath -w "$work/windows.html")" --per-asset "$(winepath -w "$work/windows-records")" \
  >"$work/windows.log" 2>&1 ||
  fail "dexal-report.exe --html failed: $(cat "$work/windows.log")"
cmp "$work/native.html" "$work/windows.html" || fail "dexal-report.exe wrote other HTML bytes"
diff -r "$work/native-records" "$work/windows-records" >/dev/null ||
  fail "dexal-report.exe wrote other records: $(diff -rq "$work/native-records" "$work/windows-records")"
timeout 300 wine "$mingw/cli/dexal-report.exe" "$(winepath -w "$work/demo.csv")" \
  >"$work/windows-drop.log" 2>&1 || fail "dexal-report.exe FILE failed: $(cat "$work/windows-drop.log")"
cmp "$work/native.html" "$work/demo.html" || fail "dexal-report.exe FILE wrote other HTML bytes"
wineserver -k 2>/dev/null
echo "PASS: dexal-report.exe under Wine wrote the native program's HTML" \
     "($(wc -c <"$work/native.html") bytes) and $(ls "$work/native-records" | wc -l) records," \
     "with --html and --per-asset and beside the CSV file"

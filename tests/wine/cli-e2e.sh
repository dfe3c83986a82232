#!/usr/bin/env bash
# The Windows command line under Wine against the emulator, through a COM port that is a symlink
# to the emulator's pseudo-terminal: dexal-download.exe writes the same CSV as the native
# program, byte for byte.
# Usage: cli-e2e.sh <bin dir of the mingw build> <bin dir of the native build> <work dir>
set -u
mingw=$1 native=$2 work=$3
: "${WINEPREFIX:?WINEPREFIX must be set}"
sim="$native/tester/dexal-tester-sim"
mkdir -p "$work"
export TZ=UTC
com=com9
sim_pid=""

fail() { echo "FAIL: $*" >&2; cleanup; wineserver -k 2>/dev/null; exit 1; }
cleanup() {
  stop_sim
  rm -f "$WINEPREFIX/dosdevices/$com"
}

. "$(dirname "$0")/emulator.sh"

# A running wine server, so that no program pays for its start inside a reply time-out, and its
# diagnostics stay out of the programs' output.
wineserver -p >/dev/null 2>&1
timeout 120 wine cmd /c exit >/dev/null 2>&1 || fail "wine does not start"

native_download -- --output "$work/native.csv" --graph-points
start_sim_at "$WINEPREFIX/dosdevices/$com"
win_out=$(winepath -w "$work/windows.csv")
rm -f "$work/windows.csv"
timeout 300 wine "$mingw/cli/dexal-download.exe" --port COM9 --output "$win_out" --graph-points \
  >"$work/windows.log" 2>&1
rc=$?
[ $rc -eq 0 ] || fail "dexal-download.exe exited with $rc: $(cat "$work/windows.log")"
grep -q '^\[Download\] Download complete' "$work/windows.log" ||
  fail "no 'Download complete' from the Windows program: $(cat "$work/windows.log")"
cmp "$work/native.csv" "$work/windows.csv" || fail "the Windows CSV differs from the native one"
cleanup
wineserver -k 2>/dev/null
echo "PASS: dexal-download.exe under Wine wrote the same CSV as the native program" \
     "($(wc -c <"$work/windows.csv") bytes)"

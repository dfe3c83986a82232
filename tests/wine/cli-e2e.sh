#!/usr/bin/env bash
# The Windows command line under Wine against the emulator, through a COM port that is a symlink
# to the emulator's pseudo-terminal: dexal-download.exe writes the same CSV as the native
# program, byte for byte, in place of the file that was there; a download stopped by Ctrl-C leaves
# that file as it was; and --list-ports shows an FTDI adapter's latency timer with the hint to
# lower it. (What a failed download leaves is the same code natively: tests/e2e.)
# Usage: cli-e2e.sh <bin dir of the mingw build> <bin dir of the native build> <work dir>
set -u
mingw=$1 native=$2 work=$3
: "${WINEPREFIX:?WINEPREFIX must be set}"
sim="$native/tester/dexal-tester-sim"
mkdir -p "$work"
work=$(cd "$work" && pwd)
export TZ=UTC
com=com9
sim_pid=""

fail() { echo "FAIL: $*" >&2; cleanup; wineserver -k 2>/dev/null; exit 1; }
cleanup() {
  stop_sim
  rm -f "$WINEPREFIX/dosdevices/$com" "$work/ttyV7"
}

. "$(dirname "$0")/emulator.sh"

# COM7 is mapped to a path that is pointed at an emulator when it is listed; Wine lists it from
# SERIALCOMM. Its device parameters, as the FTDI driver keeps them, give the latency timer.
ftdi='HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+DX0007A\0000\Device Parameters'
{ timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /d "$work/ttyV7" /f &&
  timeout 60 wine reg add "$ftdi" /v PortName /d COM7 /f &&
  timeout 60 wine reg add "$ftdi" /v LatencyTimer /t REG_DWORD /d 16 /f; } >/dev/null 2>&1 ||
  fail "could not map COM7 and give its device parameters"
timeout 60 wineserver -k 2>/dev/null  # the port mapping is read as a session starts
timeout 60 wineserver -w 2>/dev/null

# A running wine server, so that no program pays for its start inside a reply time-out, and its
# diagnostics stay out of the programs' output.
wineserver -p >/dev/null 2>&1
timeout 120 wine cmd /c exit >/dev/null 2>&1 || fail "wine does not start"

native_download -- --output "$work/native.csv" --graph-points
start_sim_at "$WINEPREFIX/dosdevices/$com"
win_out=$(winepath -w "$work/windows.csv")
# The completed download replaces the file that was there, through its part file.
echo "from before" >"$work/windows.csv"
rm -f "$work/windows.csv.part"
timeout 300 wine "$mingw/cli/dexal-download.exe" --port COM9 --output "$win_out" --graph-points \
  >"$work/windows.log" 2>&1
rc=$?
[ $rc -eq 0 ] || fail "dexal-download.exe exited with $rc: $(cat "$work/windows.log")"
grep -q '^\[Download\] Download complete' "$work/windows.log" ||
  fail "no 'Download complete' from the Windows program: $(cat "$work/windows.log")"
cmp "$work/native.csv" "$work/windows.csv" || fail "the Windows CSV differs from the native one"
[ ! -e "$work/windows.csv.part" ] || fail "a completed download left its part file"
stop_sim

# Ctrl-C (Wine turns SIGINT into the console's Ctrl-C event) once the first result is in the
# part file of a paced download: status 130, the file as it was, the part file ending after a
# whole result and the note counting them. Job control keeps the program's SIGINT from being
# ignored as a background job's.
start_sim_at "$WINEPREFIX/dosdevices/$com" --pace --fault late:100@0x2821 \
  --scenario "$(dirname "$0")/../../tester/scenarios/reference.json"
rm -f "$work/windows.csv.part"
set -m
wine "$mingw/cli/dexal-download.exe" --port COM9 --output "$win_out" >"$work/windows-int.log" 2>&1 &
set +m
download_pid=$!
for _ in $(seq 1 1200); do
  grep -q $'^\r$' "$work/windows.csv.part" 2>/dev/null && break
  kill -0 "$download_pid" 2>/dev/null || fail "the paced download ended before Ctrl-C: $(cat "$work/windows-int.log")"
  sleep 0.1
done
grep -q $'^\r$' "$work/windows.csv.part" || fail "no whole result in the part file after 120 s"
kill -INT "$download_pid"
wait "$download_pid"
rc=$?
[ $rc -eq 130 ] || fail "Ctrl-C: exit status $rc: $(cat "$work/windows-int.log")"
cmp "$work/native.csv" "$work/windows.csv" || fail "the interrupted download changed the file"
held=$(grep -c '^Asset ID,' "$work/windows.csv.part")
grep -q "^note: interrupted: $held of 100 results" "$work/windows-int.log" ||
  fail "Ctrl-C, $held results in the part file: $(cat "$work/windows-int.log")"
[ "$(tail -c 4 "$work/windows.csv.part" | od -An -tx1 | tr -d ' ')" = 0d0a0d0a ] ||
  fail "the interrupted part file does not end after a whole result"
stop_sim

start_sim_at "$work/ttyV7"
timeout 120 wine "$mingw/cli/dexal-download.exe" --list-ports 2>&1 | tr -d '\r' >"$work/ports.txt"
grep -A1 -x 'COM7  latency timer 16 ms' "$work/ports.txt" |
  grep -q '^hint: .* Latency Timer (msec); .* registry value LatencyTimer ' ||
  fail "--list-ports shows no latency timer and hint for COM7: $(cat "$work/ports.txt")"
cleanup
wineserver -k 2>/dev/null
echo "PASS: dexal-download.exe under Wine wrote the same CSV as the native program" \
     "($(wc -c <"$work/windows.csv") bytes) and listed COM7's latency timer with the hint"

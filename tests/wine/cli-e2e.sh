#!/usr/bin/env bash
# dexal-download.exe under Wine against the emulator, through a COM port that is a symlink to
# the emulator's pseudo-terminal; its CSV must equal the native program's byte for byte.
# Usage: cli-e2e.sh <dexal-download.exe> <native dexal-download> <dexal-tester-sim> <work dir>
set -u
exe=$1 native=$2 sim=$3 work=$4
: "${WINEPREFIX:?WINEPREFIX must be set}"
mkdir -p "$work"
export TZ=UTC
com=com9
sim_pid=""

fail() { echo "FAIL: $*" >&2; cleanup; exit 1; }
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  sim_pid=""
  rm -f "$WINEPREFIX/dosdevices/$com"
}

# Starts the emulator and sets $pty to its slave path.
start_sim() {
  rm -f "$work/sim.out"
  "$sim" --once >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 1 100); do
    pty=$(sed -n 's/^PTY //p' "$work/sim.out" | head -n 1)
    [ -n "$pty" ] && return 0
    kill -0 "$sim_pid" 2>/dev/null || fail "emulator exited: $(cat "$work/sim.err")"
    sleep 0.1
  done
  fail "emulator printed no PTY line within 10 s"
}

start_sim
timeout 120 "$native" --port "$pty" --output "$work/native.csv" --graph-points \
  >"$work/native.log" 2>&1 || fail "native download failed: $(cat "$work/native.log")"
cleanup

start_sim
ln -sf "$pty" "$WINEPREFIX/dosdevices/$com"
win_out=$(winepath -w "$work/windows.csv")
timeout 300 wine "$exe" --port COM9 --output "$win_out" --graph-points \
  >"$work/windows.log" 2>&1
rc=$?
[ $rc -eq 0 ] || fail "dexal-download.exe exited with $rc: $(cat "$work/windows.log")"
grep -q '^\[Download\] Download complete' "$work/windows.log" ||
  fail "no 'Download complete' from the Windows program: $(cat "$work/windows.log")"
cmp "$work/native.csv" "$work/windows.csv" || fail "the Windows CSV differs from the native one"
cleanup
echo "PASS: dexal-download.exe under Wine wrote the same CSV as the native program" \
     "($(wc -c <"$work/windows.csv") bytes)"

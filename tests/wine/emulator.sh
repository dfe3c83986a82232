# Sourced by the Wine scripts, which set $sim (dexal-tester-sim), $native (the native build),
# $work and fail. start_sim [ARGS...] starts the emulator for one download (--once, with ARGS;
# --log "$sim_log" too when $sim_log is set), its output in $work, and sets $sim_pid and $pty;
# trouble calls fail.
start_sim() {
  rm -f "$work/sim.out"
  if [ -n "${sim_log:-}" ]; then
    rm -f "$sim_log"
    set -- --log "$sim_log" "$@"
  fi
  "$sim" --once "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 1 100); do
    pty=$(sed -n 's/^PTY //p' "$work/sim.out" | head -n 1)
    [ -n "$pty" ] && return 0
    kill -0 "$sim_pid" 2>/dev/null || fail "emulator exited: $(cat "$work/sim.err")"
    sleep 0.1
  done
  fail "emulator printed no PTY line within 10 s"
}

# start_sim_at LINK [ARGS...]: start_sim ARGS, then LINK (a Wine dosdevices entry or the path a
# mapped COM port names) points at the emulator's pty.
start_sim_at() {
  start_sim "${@:2}"
  ln -sfn "$pty" "$1"
}

# Ends the emulator, if one runs.
stop_sim() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  sim_pid=""
}

# native_download [EMULATOR ARGS...] -- [DOWNLOAD ARGS...]: the native dexal-download against a
# fresh emulator, its output in $work/native.log; waits for the emulator to end.
native_download() {
  local n=1
  while [ "${!n}" != -- ]; do n=$((n + 1)); done
  start_sim "${@:1:n-1}"
  shift "$n"
  timeout 300 "$native/cli/dexal-download" --port "$pty" "$@" >"$work/native.log" 2>&1 ||
    fail "native download failed: $(cat "$work/native.log")"
  wait "$sim_pid"
  sim_pid=""
}

# start_xvfb WxHxDEPTH: a virtual display of that size as $DISPLAY, the server's pid in $xvfb_pid.
start_xvfb() {
  local display=""
  Xvfb -displayfd 9 -screen 0 "$1" -nolisten tcp 9>"$work/display" &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    display=$(head -n 1 "$work/display" 2>/dev/null)
    [ -n "$display" ] && break
    sleep 0.1
  done
  [ -n "$display" ] || fail "Xvfb gave no display number within 10 s"
  export DISPLAY=":$display"
}

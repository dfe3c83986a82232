# Sourced by the Wine scripts. start_sim [ARGS...] starts the emulator ($sim) for one download
# (--once, with ARGS), its output in $work, and sets $sim_pid and $pty; trouble calls fail.
start_sim() {
  rm -f "$work/sim.out"
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

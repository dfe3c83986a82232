"""dexal-tester-sim for the Python checks: one emulator on a new pseudo-terminal."""

import re
import subprocess
import time


def stop(proc):
    proc.terminate()
    proc.wait(5)  # an emulator that will not end fails the check


def start_sim(sim, out, args):
    """dexal-tester-sim --once ARGS, its output in the file OUT: the process and the pty's path.
    Raises RuntimeError when it prints no PTY line within 10 s."""
    proc = subprocess.Popen([sim, "--once"] + list(args), stdout=open(out, "w"),
                            stderr=subprocess.STDOUT)
    deadline = time.time() + 10
    while time.time() < deadline and proc.poll() is None:
        m = re.search(r"^PTY (\S+)$", open(out).read(), re.M)
        if m:
            return proc, m.group(1)
        time.sleep(0.05)
    stop(proc)
    raise RuntimeError("emulator printed no PTY line within 10 s: " + open(out).read())

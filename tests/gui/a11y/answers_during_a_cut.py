#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A screen reader during a cut: while a long cut runs, reading the position
time, as a screen reader finds it (a walk from the program's root down to the
label, every step a call into the program), is answered within half a second,
and the cut goes on meanwhile.

usage: answers_during_a_cut.py PROGRAM   (run by run_under_bus.sh)
exit 0 passed, 1 failed, 77 skipped (no accessibility bus)
"""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from a11y_support import (fail, make_work, press, rows, safe, start, text, wait_for,  # noqa: E402
                          write_tone)

BOUND = 0.5  # seconds for one reading
READINGS = 8
PIECES = 40


def main():
    program = os.path.abspath(sys.argv[1])
    # Pieces of 30 s of a 20-minute source, encoded as MP3: a cut of many
    # seconds on any machine, and every piece a new output.
    work, out, config = make_work("[Function]\nChoice=1\n\n[Choice]\ntime=30\n\n[Output]\nDir=%s/\n")
    write_tone(os.path.join(work, "long.wav"), PIECES * 30)

    env = dict(os.environ, XDG_CONFIG_HOME=config, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               SDL_AUDIODRIVER="dummy", XDG_RUNTIME_DIR=tempfile.mkdtemp(prefix="run-"))
    proc, app = start(program, ["long.wav"], work, env)
    try:
        wait_for("the file in the list", lambda: len(rows(app, "Files")) == 1)
        # The source is an exact multiple of the piece: an empty last piece follows.
        wait_for("the pieces listed", lambda: len(rows(app, "Segments")) == PIECES + 1)
        idle = time.monotonic()
        text(app, "Position time")
        idle = time.monotonic() - idle

        press(app, "Split")
        wait_for("the cut to start", lambda: text(app, "Progress") != "")
        slowest = 0.0
        for _ in range(READINGS):
            began = time.monotonic()
            shown = text(app, "Position time")
            took = time.monotonic() - began
            slowest = max(slowest, took)
            if took > BOUND:
                fail("reading the position time took %.2f s during the cut (%.2f s idle)"
                     % (took, idle))
            if shown != "00:00:00":
                fail("the position time reads %r" % shown)
        if text(app, "Progress") == "":
            fail("the cut ended before the readings were done: the source is too short")
        written = len([p for p in os.listdir(out) if p.endswith(".mp3")])
        if written >= PIECES:
            fail("the cut ended before the readings were done")
        print("PASS: %d readings during the cut, slowest %.3f s (idle %.3f s), %d pieces so far"
              % (READINGS, slowest, idle, written))
    finally:
        proc.terminate()
        safe(lambda: proc.wait(10))
        shutil.rmtree(work, ignore_errors=True)


main()

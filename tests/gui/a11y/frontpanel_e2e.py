#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End to end through the accessibility bus, as a screen reader user would go:
start the program with a generated file on its command line, read both lists,
set the slider, press Begin, End and Ok, choose WAV, press Split, wait until
the progress display empties and check the pieces on disk.

usage: frontpanel_e2e.py PROGRAM   (run by run_under_bus.sh)
exit 0 passed, 1 failed, 77 skipped (no accessibility bus)
"""
import os
import shutil
import sys
import tempfile
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from a11y_support import (choose_format, fail, make_work, press, rows, safe, set_slider, start,  # noqa: E402
                          text, wait_for, write_tone)


def main():
    program = os.path.abspath(sys.argv[1])
    work, out, config = make_work("[Function]\nChoice=0\n\n[Output]\nDir=%s/\n")
    write_tone(os.path.join(work, "tone.wav"), 20, channels=2)

    env = dict(os.environ, XDG_CONFIG_HOME=config, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               SDL_AUDIODRIVER="dummy", XDG_RUNTIME_DIR=tempfile.mkdtemp(prefix="run-"))
    # A relative path, taken against the working directory.
    proc, app = start(program, ["tone.wav"], work, env)
    try:
        wait_for("the file in the list", lambda: len(rows(app, "Files")) == 1)
        files = rows(app, "Files")
        if files[0][1] != "00:00:20":
            fail("the file list shows %r" % files)
        if text(app, "Total length") == "":
            fail("no total length shown")
        wait_for("the open segment", lambda: len(rows(app, "Segments")) >= 1)

        # 20 s on a slider of range 916: 229 is 5 s, 687 is 15 s.
        set_slider(app, 229)
        wait_for("the time to follow the slider", lambda: text(app, "Position time") == "00:00:05")
        press(app, "Begin")
        set_slider(app, 687)
        wait_for("the time at 15 s", lambda: text(app, "Position time") == "00:00:15")
        press(app, "End")
        press(app, "Ok")
        wait_for("the confirmed segment", lambda: rows(app, "Segments")[0][0] == "00:00:05 - 00:00:15")

        choose_format(app, "WAV")
        press(app, "Split")
        wait_for("the cut to start", lambda: os.listdir(out))
        # The piece is closed once its row says so; the display empties at the job's end.
        wait_for("the piece to finish", lambda: rows(app, "Segments")[0][2] == "Finish")
        wait_for("the progress display to empty", lambda: text(app, "Progress") == "")
        pieces = [p for p in os.listdir(out) if p.endswith(".wav")]
        if len(pieces) != 1:
            fail("expected one piece, found %r" % os.listdir(out))
        with wave.open(os.path.join(out, pieces[0])) as w:
            seconds = w.getnframes() / w.getframerate()
        if abs(seconds - 10) > 0.05:
            fail("the piece lasts %.3f s, not 10" % seconds)
        print("PASS: %s, %.3f s" % (pieces[0], seconds))
    finally:
        proc.terminate()
        safe(lambda: proc.wait(5))
        shutil.rmtree(work, ignore_errors=True)


main()

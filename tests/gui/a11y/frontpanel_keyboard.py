#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The front panel as a screen reader and a keyboard user meet it: every
element named once, the window announced as a window, the lists and boxes
named, the slider settable and clipped, and Tab reaching every element of
the panel and every control with the focus shown.

usage: frontpanel_keyboard.py PROGRAM   (run by run_under_bus.sh)
exit 0 passed, 1 failed, 77 skipped (no accessibility bus)
"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from a11y_support import (activate, fail, find, has_state, pyatspi, safe, set_slider, start,  # noqa: E402
                          text, wait_for, walk)

BUTTONS = 22  # every clickable element of the panel


def focused(app):
    for o in walk(app):
        if safe(lambda: o.getState().contains(pyatspi.STATE_FOCUSED)) and \
                safe(o.getRoleName) != "frame":
            # The panel itself reports focus too; its focused child is the element.
            if safe(lambda: o.name) != "Front panel":
                return o
    return None


def describe(o):
    return (safe(lambda: o.name), safe(o.getRoleName)) if o is not None else None


def moved(before, now):
    """The focus is on another element than `before` (None: on none)."""
    if now is None:
        return None
    if before is None:
        return now
    same = describe(now) == describe(before) and \
        safe(lambda: now.getIndexInParent()) == safe(lambda: before.getIndexInParent())
    return None if same else now


def main():
    program = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="vessimo-a11y-")
    env = dict(os.environ, XDG_CONFIG_HOME=work, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               SDL_AUDIODRIVER="dummy", XDG_RUNTIME_DIR=tempfile.mkdtemp(prefix="run-"))
    # The title bar names the program and its version, as --version gives it.
    version = subprocess.run([program, "--version"], env=env, check=True, capture_output=True,
                             text=True).stdout.split()[1]
    proc, app = start(program, [], work, env)
    try:
        frame = wait_for("the main window", lambda: find(app, "Vessimo " + version, "frame"))
        panel = find(frame, "Front panel")
        if panel is None:
            fail("the front panel is not on the bus")
        named = [(o.name, o.getRoleName()) for o in walk(panel) if o is not panel]
        names = [n for n, _ in named]
        duplicates = sorted({n for n in names if names.count(n) > 1})
        if duplicates:
            fail("names used twice on the panel: %s" % duplicates)
        buttons = [n for n, r in named if r == "push button"]
        if len(buttons) != BUTTONS or "" in buttons:
            fail("expected %d named buttons, found %r" % (BUTTONS, buttons))
        for name, role in [("Position", "slider"), ("Position time", "label"),
                           ("Total length", "label"), ("Progress", "label"),
                           ("Conversion progress", "progress bar"), ("Files", None),
                           ("Segments", None), ("Output folder", "text"),
                           ("Output format", "label")]:
            if find(frame, name, role) is None:
                fail("nothing named %r (%s)" % (name, role))
        if text(app, "Position time") != "00:00:00":
            fail("the position time reads %r" % text(app, "Position time"))

        slider = find(panel, "Position", "slider")
        value = slider.queryValue()
        set_slider(app, 10 ** 6)
        if value.currentValue != value.maximumValue:
            # Without a file the slider's thumb has no size: the range is its maximum.
            fail("the slider went to %r of %r" % (value.currentValue, value.maximumValue))

        # Tab from the window's start reaches every element and control once.
        activate(proc, "Vessimo " + version)
        wait_for("the window to have the keyboard", lambda: has_state(frame, pyatspi.STATE_ACTIVE))

        def tab_from(before):
            """Presses Tab and waits for the focus to move away from `before`."""
            subprocess.run(["xdotool", "key", "Tab"], check=False)
            return wait_for("the focus to move on from %r after Tab" % (describe(before),),
                            lambda: moved(before, focused(app)))
        current = tab_from(focused(app))
        seen = []
        for _ in range(2 * (BUTTONS + 12)):
            current = tab_from(current)
            seen.append(safe(lambda: current.name, ""))
        wanted = set(buttons) | {"Position", "Files", "Segments", "Output folder"}
        missing = wanted - set(seen)
        if missing:
            fail("Tab never reached %s (visited %s)" % (sorted(missing), seen))
        print("PASS: %d elements named once; Tab reaches %d of them" % (len(names), len(wanted)))
    finally:
        proc.terminate()
        safe(lambda: proc.wait(5))
        shutil.rmtree(work, ignore_errors=True)


main()

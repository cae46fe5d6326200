# SPDX-License-Identifier: GPL-3.0-or-later
"""Helpers for the accessibility tests: find, press, read and set what the
program shows on the AT-SPI bus, as a screen reader does."""
import math
import os
import re
import struct
import subprocess
import sys
import tempfile
import time
import wave

SKIPPED = 77


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def bus_reachable():
    # libatspi ends the process when it meets no bus, so ask the session bus first.
    try:
        from gi.repository import Gio
        bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None, None,
                      Gio.DBusCallFlags.NONE, 3000, None)
        return True
    except Exception:
        return False


if not bus_reachable():
    print("SKIP: the accessibility bus cannot start here")
    sys.exit(SKIPPED)

import pyatspi  # noqa: E402  (only once the bus is known to exist)


def safe(f, default=None):
    try:
        return f()
    except Exception:
        return default


def walk(o, depth=0):
    yield o
    if depth > 40:
        return
    for i in range(safe(lambda: o.childCount, 0) or 0):
        c = safe(lambda i=i: o.getChildAtIndex(i))
        if c is not None:
            yield from walk(c, depth + 1)


def find(root, name, role=None):
    for o in walk(root):
        if safe(lambda: o.name) == name and (role is None or safe(o.getRoleName) == role):
            return o
    return None


# Only a guard against a hang: every wait ends as soon as its condition holds.
PATIENCE = 90


def wait_for(what, check):
    end = time.monotonic() + PATIENCE
    while True:
        result = safe(check)
        if result:
            return result
        if time.monotonic() > end:
            fail("waited %d s in vain for %s" % (PATIENCE, what))
        time.sleep(0.02)


def has_state(o, state):
    return bool(safe(lambda: o.getState().contains(state)))


def press(app, name):
    o = find(app, name, "push button")
    if o is None:
        fail("no button named %r" % name)
    action = o.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == "press":
            # The program queues the click, so this returns at once.
            started = time.time()
            action.doAction(i)
            if time.time() - started > 2:
                fail("pressing %r waited for the command" % name)
            return
    fail("%r cannot be pressed" % name)


def text(app, name):
    o = find(app, name)
    if o is None:
        fail("nothing named %r" % name)
    t = o.queryText()
    return t.getText(0, -1)


def rows(app, name):
    view = find(app, name)
    if view is None:
        fail("no list named %r" % name)
    table = view.queryTable()
    return [[safe(lambda r=r, c=c: table.getAccessibleAt(r, c).name, "")
             for c in range(table.nColumns)] for r in range(table.nRows)]


def set_slider(app, position):
    slider = find(app, "Position", "slider")
    if slider is None:
        fail("no slider named 'Position'")
    slider.queryValue().currentValue = float(position)


def choose_format(app, item):
    label = find(app, "Output format", "label")
    combo = None
    for relation in safe(label.getRelationSet, []) or []:
        if relation.getRelationType() == pyatspi.RELATION_LABEL_FOR:
            combo = relation.getTarget(0)
    if combo is None:
        fail("the label 'Output format' names no box")
    if combo.name == item:
        return
    items = [o for o in walk(combo) if safe(o.getRoleName) == "list item"]
    names = [o.name for o in items]
    if item not in names:
        fail("the format box has no %r (%s)" % (item, names))
    # Qt takes a combo box's choice from the keyboard: open it, and once its
    # list has the keyboard, walk to the item.
    combo.queryAction().doAction(0)
    popup = next(o for o in walk(combo) if safe(o.getRoleName) == "list")
    wait_for("the format box to open", lambda: has_state(combo, pyatspi.STATE_EXPANDED) and
             has_state(popup, pyatspi.STATE_FOCUSED))
    keys = ["Home"] + ["Down"] * names.index(item) + ["Return"]
    subprocess.run(["xdotool", "key", "--delay", "60"] + keys, check=False)
    wait_for("the format box to show " + item, lambda: combo.name == item)


def activate(proc, title):
    """Gives the program's window the keyboard through the window manager; its
    title is matched whole, and only a window that is shown counts (the
    program also owns unmapped helper windows with shorter names)."""
    pattern = "^%s$" % re.escape(title)

    def shown_window():
        r = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(proc.pid),
                            "--name", pattern], capture_output=True, text=True, check=False)
        return r.stdout.split()[0] if r.returncode == 0 and r.stdout.split() else None
    window = wait_for("the window %r on the screen" % title, shown_window)
    subprocess.run(["xdotool", "windowactivate", window], check=False, capture_output=True)

    def active_window():
        return subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True,
                              check=False).stdout.strip()
    wait_for("the window manager to make %r the active window" % title,
             lambda: active_window() == window)
    return window


def start(program, args, cwd, env):
    """Starts the program and waits until it is on the bus; returns (process, application)."""
    proc = subprocess.Popen([program] + args, cwd=cwd, env=env)
    desktop = pyatspi.Registry.getDesktop(0)
    app = wait_for("the program on the bus", lambda: next(
        a for a in (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
        if a is not None and a.get_process_id() == proc.pid))
    return proc, app


def write_tone(path, seconds, channels=1, rate=44100):
    """A 440 Hz tone of whole seconds, 16-bit, written one second at a time."""
    second = bytearray()
    for i in range(rate):
        v = int(8000 * math.sin(2 * math.pi * 440 * i / rate))
        second += struct.pack("<" + "h" * channels, *([v] * channels))
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        for _ in range(seconds):
            w.writeframes(bytes(second))


def make_work(ini):
    """A private work folder with an output folder and a configuration
    folder whose options file holds `ini`, formatted with the output folder."""
    work = tempfile.mkdtemp(prefix="vessimo-a11y-")
    out = os.path.join(work, "out")
    os.makedirs(out)
    config = os.path.join(work, "config")
    os.makedirs(config)
    with open(os.path.join(config, "Vessimo.ini"), "w") as f:
        f.write(ini % out)
    return work, out, config

#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails when an include breaks the folder layering of src/.

Each folder under src/ is one layer; a folder may include its own headers and
those of lower layers. A folder includes one on its own level only along an
edge of SIDEWAYS, never one of the lower edges in NOT_WANTED, and every include
between core folders must be one its CMakeLists.txt declares (the DEPS of
vessimo_layer), so the include graph and the link line agree. Only gui/ may use Qt Widgets; only audio/ may see FFmpeg,
LAME and SDL; only audio/ and tags/ may see Ogg and Vorbis.

usage: check_layers.py SRC_DIR [QT_WIDGETS_INCLUDE_DIR]
"""
import os
import re
import sys

LEVELS = {
    "base": 0,
    "audio": 1, "tags": 1, "skin": 1, "settings": 1,
    "jobs": 2, "engine": 2, "player": 2, "dialogs": 2,
    "app": 3,
    "gui": 4, "cli": 4,
}
# The few edges between folders of one level, each with its reason.
SIDEWAYS = {
    ("settings", "audio"): "the encoder configuration checks formats with the writer",
    ("engine", "jobs"): "the jobs take their pieces from the segment plans",
}
# Edges that point down but are not wanted, each with its reason: the job
# list and the preview report what the front panel shows, and app/ writes it.
NOT_WANTED = {
    ("jobs", "skin"): "the job list emits its texts; app/ writes them into the front panel",
    ("player", "skin"): "the preview emits its time and moves a PositionSlider; app/ is the skin's",
}
THIRD_PARTY = [
    (re.compile(r"^(libavformat|libavcodec|libavutil|libswresample|libswscale|lame|SDL2?)/|^SDL"),
     {"audio"}, "FFmpeg, LAME or SDL"),
    (re.compile(r"^(ogg|vorbis)/"), {"audio", "tags"}, "Ogg or Vorbis"),
]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def widget_headers(qt_widgets_dir):
    names = {"QtWidgets"}
    if qt_widgets_dir and os.path.isdir(qt_widgets_dir):
        names.update(n for n in os.listdir(qt_widgets_dir) if not n.endswith(".h"))
    else:
        names.update(["QWidget", "QDialog", "QApplication", "QMessageBox", "QLabel"])
    return names


DEPS = re.compile(r"vessimo_layer\(\s*\w+.*?\bDEPS\b([^)]*)\)", re.S)


def declared_deps(src, folder):
    """The layers a folder's library links, or None when it is not a vessimo_layer."""
    path = os.path.join(src, folder, "CMakeLists.txt")
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8") as f:
        match = DEPS.search(f.read())
    return set(match.group(1).split()) if match else None


def main():
    src = sys.argv[1]
    widgets = widget_headers(sys.argv[2] if len(sys.argv) > 2 else None)
    problems = []
    edges = {}
    for folder in sorted(os.listdir(src)):
        root = os.path.join(src, folder)
        if not os.path.isdir(root):
            continue
        if folder not in LEVELS:
            problems.append(f"src/{folder}: a folder outside the layering; give it a level")
            continue
        for dirpath, _, files in os.walk(root):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, os.path.dirname(src))
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                for kind, target in INCLUDE.findall(text):
                    top = target.split("/")[0]
                    if kind == '"' and top in LEVELS and top != folder:
                        edges.setdefault(folder, {}).setdefault(top, rel)
                        if LEVELS[top] > LEVELS[folder]:
                            problems.append(f"{rel}: includes {target}, from a higher layer")
                        elif (folder, top) in NOT_WANTED:
                            problems.append(f"{rel}: includes {target}; "
                                            f"{NOT_WANTED[(folder, top)]}")
                        elif LEVELS[top] == LEVELS[folder] and (folder, top) not in SIDEWAYS:
                            problems.append(f"{rel}: includes {target}, from a folder on its own "
                                            "level; only the edges of SIDEWAYS may do that")
                        declared = declared_deps(src, folder)
                        if declared is not None and top not in declared:
                            problems.append(f"{rel}: includes {target}, but src/{folder}/"
                                            f"CMakeLists.txt does not link vessimo_{top}")
                    if kind == "<":
                        header = target.split("/")[-1]
                        if folder != "gui" and (top == "QtWidgets" or header in widgets):
                            problems.append(f"{rel}: includes the widget header {target} outside gui/")
                        for pattern, allowed, what in THIRD_PARTY:
                            if pattern.search(target) and folder not in allowed:
                                problems.append(f"{rel}: includes {what} header {target}")

    # Cycles among the folders (possible between folders on one level).
    state = {}

    def visit(node, trail):
        state[node] = 1
        for nxt in edges.get(node, {}):
            if state.get(nxt) == 1:
                cycle = trail[trail.index(nxt):] + [nxt] if nxt in trail else [node, nxt]
                problems.append("include cycle: " + " -> ".join(cycle)
                                + f" (e.g. {edges[node][nxt]})")
            elif not state.get(nxt):
                visit(nxt, trail + [nxt])
        state[node] = 2

    for node in sorted(edges):
        if not state.get(node):
            visit(node, [node])

    for (a, b), why in SIDEWAYS.items():
        if b not in edges.get(a, {}):
            problems.append(f"SIDEWAYS lists {a} -> {b} ({why}), which no include uses any more")

    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layering problem(s)")
        return 1
    print("layering: " + ", ".join(f"{a} -> {', '.join(sorted(b))}" for a, b in sorted(edges.items())))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that the C and C++ sources follow .clang-format.

Usage: check_format.py <source root> [clang-format]

Runs only when VESSIMO_CHECK_FORMAT=1 is set, so that a tree formatted by an
older or newer clang-format does not fail everyone's build; CI sets it.
Exit code 77 tells CTest that the check was skipped.
"""
import os
import shutil
import subprocess
import sys

SKIPPED = 77
FOLDERS = ("src", "tests", "bench", "fuzz")
SUFFIXES = (".c", ".cpp", ".h", ".hpp")


def sources(root):
    for folder in FOLDERS:
        for base, dirs, files in os.walk(os.path.join(root, folder)):
            dirs[:] = sorted(d for d in dirs if d not in ("data", "seeds"))
            for name in sorted(files):
                if name.endswith(SUFFIXES):
                    yield os.path.join(base, name)


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = sys.argv[1]
    if os.environ.get("VESSIMO_CHECK_FORMAT") != "1":
        print("formatting: skipped; set VESSIMO_CHECK_FORMAT=1 to check")
        return SKIPPED
    tool = sys.argv[2] if len(sys.argv) > 2 and sys.argv[2] else shutil.which("clang-format")
    if not tool:
        print("formatting: clang-format is not installed", file=sys.stderr)
        return 1
    files = list(sources(root))
    # In batches, so that the command line stays short.
    failed = False
    for i in range(0, len(files), 100):
        result = subprocess.run([tool, "--dry-run", "-Werror", *files[i:i + 100]], cwd=root)
        failed = failed or result.returncode != 0
    if failed:
        print("formatting: run clang-format -i on the files above", file=sys.stderr)
        return 1
    print(f"formatting: {len(files)} files follow .clang-format")
    return 0


if __name__ == "__main__":
    sys.exit(main())

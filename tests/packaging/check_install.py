#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Installs the build into a temporary prefix and checks it as a packager and
a desktop would: exactly the files the README lists, a valid desktop entry
and AppStream description under one application id, manual pages that render
without warnings and name every option, the one version from CMake in both
programs, and an installed program that finds its data folder and keeps its
options in its own configuration folder.

usage: check_install.py CMAKE BUILD_DIR VERSION APP_ID BINDIR DATADIR MANDIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def run(args, env=None, timeout=120):
    return subprocess.run(args, capture_output=True, text=True, env=env, timeout=timeout)


def need(tool, package):
    path = shutil.which(tool)
    if path is None:
        sys.exit("%s is missing: install %s (setup.sh does)" % (tool, package))
    return path


def installed_files(prefix):
    found = set()
    for folder, _, files in os.walk(prefix):
        for name in files:
            found.add(os.path.relpath(os.path.join(folder, name), prefix))
    return found


def roff_text(path):
    """The page's source with roff's escaped hyphens made plain."""
    with open(path, encoding="utf-8") as f:
        return f.read().replace("\\-", "-")


def options_of(help_text):
    return set(re.findall(r"(?<![\w-])(--?[a-z][a-z-]*)", help_text))


def check_man_page(path, version, help_text):
    page = os.path.basename(path)
    strict = run(["groff", "-man", "-ww", "-z", path])
    check(strict.returncode == 0 and strict.stderr == "",
          "%s: groff warns:\n%s" % (page, strict.stderr))
    env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8")
    shown = run(["man", "--warnings", "-l", path], env=env)
    check(shown.returncode == 0 and shown.stderr == "",
          "%s: man -l warns:\n%s" % (page, shown.stderr))
    check("NAME" in shown.stdout and "SYNOPSIS" in shown.stdout,
          "%s: renders without NAME or SYNOPSIS" % page)
    check("Vessimo %s" % version in shown.stdout, "%s: does not carry version %s" % (page, version))
    source = roff_text(path)
    for option in sorted(options_of(help_text)):
        check(re.search(r"(?<![\w-])%s(?![\w-])" % re.escape(option), source),
              "%s: the option %s of --help is not described" % (page, option))


def graphical_env(root):
    runtime = tempfile.mkdtemp(prefix="run-", dir=root)
    os.chmod(runtime, 0o700)
    config = tempfile.mkdtemp(prefix="config-", dir=root)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", SDL_AUDIODRIVER="dummy",
               VESSIMO_PRINT_FILES="1", XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=config)
    return env, config


def main():
    cmake, build, version, app_id, bindir, datadir, mandir = sys.argv[1:8]
    need("desktop-file-validate", "desktop-file-utils")
    need("appstreamcli", "appstream")
    need("man", "man-db")
    need("groff", "groff-base")

    root = tempfile.mkdtemp(prefix="vessimo-install-")
    try:
        prefix = os.path.join(root, "prefix")
        install = run([cmake, "--install", build, "--prefix", prefix, "--strip"], timeout=300)
        if install.returncode != 0:
            sys.exit("cmake --install failed:\n" + install.stdout + install.stderr)

        data = os.path.join(datadir, "vessimo")
        desktop = os.path.join(datadir, "applications", app_id + ".desktop")
        icon = os.path.join(datadir, "icons/hicolor/scalable/apps", app_id + ".svg")
        metainfo = os.path.join(datadir, "metainfo", app_id + ".metainfo.xml")
        pages = [os.path.join(mandir, "man1", p) for p in ("vessimo.1", "vessimo-cli.1")]
        expected = {os.path.join(bindir, "vessimo"), os.path.join(bindir, "vessimo-cli"),
                    os.path.join(data, "mp3enc.dll"), os.path.join(data, "help/index.html"),
                    os.path.join(data, "help/vessimo-cli.schema.json"), desktop, icon, metainfo, *pages}
        found = installed_files(prefix)
        check(not expected - found, "not installed: %s" % sorted(expected - found))
        check(not found - expected, "installed but not expected: %s" % sorted(found - expected))
        at = lambda relative: os.path.join(prefix, relative)  # noqa: E731

        # The desktop entry and the AppStream description, one id for both and the icon.
        validated = run(["desktop-file-validate", at(desktop)])
        check(validated.returncode == 0 and not (validated.stdout + validated.stderr).strip(),
              "desktop-file-validate:\n" + validated.stdout + validated.stderr)
        validated = run(["appstreamcli", "validate", "--no-net", "--explain", at(metainfo)])
        check(validated.returncode == 0, "appstreamcli validate:\n" + validated.stdout)
        # The tree as a software centre reads it: the launchable's desktop entry is there.
        validated = run(["appstreamcli", "validate-tree", "--no-net", "--explain", prefix])
        check(validated.returncode == 0, "appstreamcli validate-tree:\n" + validated.stdout)
        component = ET.parse(at(metainfo)).getroot()
        check(component.findtext("id") == app_id, "the metainfo's id is not %s" % app_id)
        check(component.findtext("launchable") == app_id + ".desktop",
              "the metainfo launches %r" % component.findtext("launchable"))
        releases = component.findall("releases/release")
        check(releases and releases[0].get("version") == version,
              "the newest release in the metainfo is not %s" % version)
        with open(at(desktop), encoding="utf-8") as f:
            entry = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        check(entry.get("Icon") == app_id, "the desktop entry's icon is %r" % entry.get("Icon"))
        check(entry.get("Exec", "").split()[0] == "vessimo",
              "the desktop entry starts %r" % entry.get("Exec"))

        # One version, from CMake, in both programs.
        cli = at(os.path.join(bindir, "vessimo-cli"))
        gui = at(os.path.join(bindir, "vessimo"))
        for program, name in ((cli, "vessimo-cli"), (gui, "vessimo")):
            shown = run([program, "--version"])
            check(shown.returncode == 0 and shown.stdout.splitlines()[:1] == [name + " " + version],
                  "%s --version printed %r" % (name, shown.stdout))
            check("GPL-3.0-or-later" in shown.stdout, "%s --version names no licence" % name)

        # The manual pages render cleanly and describe every option of --help.
        cli_help = run([cli, "--help"])
        gui_help = run([gui, "--help"])
        check(cli_help.returncode == 0 and gui_help.returncode == 0, "--help failed")
        check_man_page(at(pages[0]), version, gui_help.stdout)
        check_man_page(at(pages[1]), version, cli_help.stdout)

        # The installed program finds its data folder from its own place.
        guide = os.path.join(prefix, data, "help", "index.html")
        check("User guide: %s\n" % guide in gui_help.stdout,
              "vessimo --help does not point at %s:\n%s" % (guide, gui_help.stdout))
        env, config = graphical_env(root)
        opened = run([gui], env=env)
        check(opened.returncode == 0, "the installed vessimo failed:\n" + opened.stderr)
        check("skin:" not in opened.stderr,
              "the installed vessimo did not find its skin:\n" + opened.stderr)
        # ... which a copy without the data folder does not (so the check above can fail).
        lone = os.path.join(root, "lone")
        os.mkdir(lone)
        shutil.copy(gui, lone)
        env_lone, _ = graphical_env(root)
        bare = run([os.path.join(lone, "vessimo")], env=env_lone)
        check("skin: cannot open" in bare.stderr,
              "a vessimo without data did not say so:\n" + bare.stderr)

        # The options go to the program's own configuration folder; an older
        # file directly in the configuration folder is taken over.
        check(os.path.isfile(os.path.join(config, "vessimo", "Vessimo.ini")),
              "the options were not saved in $XDG_CONFIG_HOME/vessimo/Vessimo.ini")
        check(not os.path.exists(os.path.join(config, "Vessimo.ini")),
              "the options were saved in the old place")
        env, config = graphical_env(root)
        with open(os.path.join(config, "Vessimo.ini"), "w") as f:
            f.write("[Choice]\ntime=123\n")
        opened = run([gui], env=env)
        check(opened.returncode == 0, "vessimo with an old options file failed:\n" + opened.stderr)
        moved = os.path.join(config, "vessimo", "Vessimo.ini")
        check(os.path.isfile(moved) and "time=123" in open(moved).read(),
              "the old options were not taken over")

        # Installed with --strip, as the README says.
        if shutil.which("readelf"):
            for program in (cli, gui):
                sections = run(["readelf", "-S", "-W", program]).stdout
                check(".debug_info" not in sections, "%s is not stripped" % program)
    finally:
        shutil.rmtree(root, ignore_errors=True)

    for failure in failures:
        print("FAIL:", failure)
    print("%d failed" % len(failures) if failures else "the installation is complete and valid")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/bin/bash
# Runs an accessibility test script as a screen reader would meet the
# program: its own D-Bus session, an X server, the AT-SPI bus and a window
# manager. Exits 77 (skipped) when that cannot be set up here.
#   usage: run_under_bus.sh PROGRAM SCRIPT
set -u
program=$1
script=$2
skip() {
  echo "SKIP: $*"
  exit 77
}
for tool in dbus-run-session xvfb-run xdotool; do
  command -v "$tool" >/dev/null || skip "$tool is missing (packages dbus, xvfb, xdotool)"
done
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || skip "the accessibility bus launcher is missing (package at-spi2-core)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "pyatspi is missing (package python3-pyatspi)"

export A11Y_PROGRAM=$program A11Y_SCRIPT=$script A11Y_LAUNCHER=$launcher
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$A11Y_LAUNCHER" --launch-immediately & bus=$!
  wm=
  if command -v openbox >/dev/null; then openbox & wm=$!; fi
  /usr/bin/python3 "$A11Y_SCRIPT" "$A11Y_PROGRAM"
  rc=$?
  kill $bus $wm 2>/dev/null
  exit $rc'

#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs an accessibility test script as a screen reader would meet the
# program: its own D-Bus session, an X server, the AT-SPI bus and a window
# manager. Exits 77 (skipped) when that cannot be set up here, 1 when the X
# server or the window manager does not come up.
#   usage: run_under_bus.sh PROGRAM SCRIPT
set -u
program=$1
script=$2
skip() {
  echo "SKIP: $*"
  exit 77
}
for tool in dbus-run-session Xvfb xdotool openbox; do
  command -v "$tool" >/dev/null || skip "$tool is missing (packages dbus, xvfb, xdotool, openbox)"
done
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || skip "the accessibility bus launcher is missing (package at-spi2-core)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "pyatspi is missing (package python3-pyatspi)"

export A11Y_PROGRAM=$program A11Y_SCRIPT=$script A11Y_LAUNCHER=$launcher
exec dbus-run-session -- bash -c '
  set -u
  folder=$(mktemp -d)
  pids=()
  finish() {
    # The X server last, so that its clients do not report it gone.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
      kill "${pids[i]}" 2>/dev/null
      wait "${pids[i]}" 2>/dev/null
    done
    rm -rf "$folder"
    exit "$1"
  }
  # The X server picks a free display itself and names it once it listens:
  # no race with X servers that other test runs start at the same time.
  mkfifo "$folder/display"
  # -noreset: the bus launcher is its first client, and a server that reset
  # when it let go would refuse the window manager meanwhile.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$folder/display" 2>"$folder/x.log" &
  pids+=($!)
  read -r number <"$folder/display"
  if [ -z "$number" ]; then
    echo "FAIL: the X server did not start:"
    cat "$folder/x.log"
    finish 1
  fi
  export DISPLAY=:$number
  "$A11Y_LAUNCHER" --launch-immediately &
  pids+=($!)
  openbox 2>"$folder/wm.log" &
  wm=$!
  pids+=($wm)
  # Windows are activated and given the keyboard only once the window
  # manager runs; it says so by naming the current desktop on the root window.
  started=$SECONDS
  until xdotool get_desktop >/dev/null 2>&1; do
    if ! kill -0 $wm 2>/dev/null || [ $((SECONDS - started)) -ge 90 ]; then
      echo "FAIL: the window manager (openbox) did not come up:"
      cat "$folder/wm.log" "$folder/x.log"
      finish 1
    fi
    sleep 0.05
  done
  echo "the window manager is up after $((SECONDS - started)) s on display :$number"
  /usr/bin/python3 "$A11Y_SCRIPT" "$A11Y_PROGRAM"
  finish $?'

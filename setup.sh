#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Vessimo needs on Debian 12, builds it, and then either starts
# the program or runs the whole test suite.
#
#   ./setup.sh run     build and start Vessimo
#   ./setup.sh test    build and run every test
#   ./setup.sh build   build only
#   ./setup.sh asan    build in build-asan with AddressSanitizer and
#                      UndefinedBehaviorSanitizer and run every test there
#                      (slow; not part of CI)
#   ./setup.sh tsan    build the threaded parts in build-tsan with
#                      ThreadSanitizer and run their tests there: the
#                      command line's cut workers and the waveform pool
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build_dir=${VESSIMO_BUILD_DIR:-$here/build}
action=${1:-build}

packages=(
  # tool chain
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  # libraries
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libmp3lame-dev libvorbis-dev libogg-dev libsdl2-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg lame sox vorbis-tools python3 python3-mutagen python3-jsonschema
  # the packaging test: desktop entry, AppStream and manual page checks
  desktop-file-utils appstream man-db groff-base
  # looking at the program as a user
  xvfb xauth xdotool imagemagick fonts-dejavu-core
  # the accessibility test: the AT-SPI bus, its Python binding, a window manager
  at-spi2-core python3-pyatspi dbus openbox
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

if [ "$action" = asan ]; then
  # The sanitizer build lives beside the ordinary one (CMakePresets.json).
  cd "$here"
  cmake --preset asan "${launcher[@]}"
  cmake --build --preset asan --parallel "$(nproc)"
  exec ctest --preset asan --parallel "$(nproc)"
fi

if [ "$action" = tsan ]; then
  # Only what runs on more than one thread: the command-line tool's --jobs
  # workers (driven by the cut and join command tests and the batch test) and
  # the waveform's thread pool. Any report fails the test that raised it.
  threaded_tests=(test_cutjoincommand test_cutbatch test_waveform)
  cd "$here"
  cmake --preset tsan "${launcher[@]}"
  cmake --build --preset tsan --parallel "$(nproc)" --target vessimo-cli "${threaded_tests[@]}"
  filter=$(IFS='|'; echo "^(${threaded_tests[*]})\$")
  exec ctest --preset tsan --parallel "$(nproc)" -R "$filter"
fi

cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
cmake --build "$build_dir" --parallel "$(nproc)"

case "$action" in
  run)
    exec "$build_dir/vessimo" ;;
  test)
    cd "$build_dir"
    exec ctest --output-on-failure --parallel "$(nproc)" ;;
  build) ;;
  *)
    echo "usage: $0 [run|test|build|asan|tsan]" >&2
    exit 2 ;;
esac

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the fuzzers for a bounded time each: every target, or those named.
#
#   fuzz/run-fuzzers.sh FUZZ_BUILD_DIR [SECONDS_EACH [TARGET...]]
#
# Targets: the tag readers (id3v1 id3v2 id3update ogg wma), the MPEG frame
# index (mpegindex), the readers that need no codec library (wav vox
# readerseek), the skin file (skin), the
# options file (ini) and the plan options of the command line (planoptions).
# Seeds are the committed samples (fuzz/seeds/<kind>, tests/data/tags, the
# program's own skin); what the fuzzers find new is kept in
# FUZZ_BUILD_DIR/corpus-<target>. Exits 77 (a skipped test for CTest) when
# the fuzzers were not built.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:?usage: run-fuzzers.sh FUZZ_BUILD_DIR [SECONDS_EACH [TARGET...]]}
seconds=${2:-5}
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(id3v1 id3v2 id3update ogg wma mpegindex wav vox readerseek skin ini planoptions)
fi

if [ ! -x "$build/fuzz_id3v2" ]; then
  echo "SKIPPED: the fuzzers are not built (clang++ with libFuzzer not found)"
  exit 77
fi

seeds() {
  case $1 in
    id3v1 | id3v2 | id3update | ogg | wma | mpegindex)
      echo "$here/seeds/tags $here/../tests/data/tags" ;;
    skin) echo "$here/seeds/skin $here/../skin" ;;
    *) echo "$here/seeds/$1" ;;
  esac
}

status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus-$target"
  mkdir -p "$corpus"
  log="$build/fuzz-$target.log"
  # shellcheck disable=SC2046 # the seed folders are separate arguments
  if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/crash-$target-" "$corpus" $(seeds "$target") >"$log" 2>&1; then
    echo "fuzz_$target: $(grep -E '^#[0-9]+' "$log" | tail -1)"
  else
    echo "fuzz_$target FAILED; its log:"
    tail -60 "$log"
    status=1
  fi
done
exit $status

#!/usr/bin/env bash
# Runs every fuzzer (the tag readers, the ID3 update and the MPEG frame
# index) for a bounded time.
#
#   fuzz/run-fuzzers.sh FUZZ_BUILD_DIR [SECONDS_EACH]
#
# Seeds are the committed samples (fuzz/seeds, tests/data/tags); what the
# fuzzers find new is kept in FUZZ_BUILD_DIR/corpus-<reader>. Exits 77 (a
# skipped test for CTest) when the fuzzers were not built.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:?usage: run-fuzzers.sh FUZZ_BUILD_DIR [SECONDS_EACH]}
seconds=${2:-5}

if [ ! -x "$build/fuzz_id3v2" ]; then
  echo "SKIPPED: the tag fuzzers are not built (clang++ with libFuzzer not found)"
  exit 77
fi

status=0
for reader in id3v1 id3v2 id3update ogg wma mpegindex; do
  corpus="$build/corpus-$reader"
  mkdir -p "$corpus"
  log="$build/fuzz-$reader.log"
  if "$build/fuzz_$reader" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/crash-$reader-" \
       "$corpus" "$here/seeds" "$here/../tests/data/tags" >"$log" 2>&1; then
    echo "fuzz_$reader: $(grep -E '^#[0-9]+' "$log" | tail -1)"
  else
    echo "fuzz_$reader FAILED; its log:"
    tail -60 "$log"
    status=1
  fi
done
exit $status

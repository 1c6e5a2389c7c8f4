#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
./scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for target in build/fuzz/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  log=build/fuzz/$name.log
  # A target's dictionary, when it has one, seeds the words of its grammar.
  dict=()
  [ -f "fuzz/${name%_fuzz}.dict" ] && dict=(-dict="fuzz/${name%_fuzz}.dict")
  if ! "$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 -artifact_prefix=build/fuzz/ "${dict[@]}" "$corpus" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $name found a failure (log: $log)" >&2
    exit 1
  fi
  runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  echo "fuzz: $name ran ${runs:-?} inputs clean in ${seconds}s"
done

#!/bin/sh
# Runs every fuzz target of the sanitizer tree for SECONDS each (default 300).
# Inputs found to grow coverage go to build-asan/tests/fuzz/found/<target>;
# a crash, hang, leak, sanitizer report or broken check stops with a failure
# and leaves the input as crash-*, timeout-* or leak-* in the current folder.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-300}
fuzz=build-asan/tests/fuzz
status=0
for target in "$fuzz"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target" | sed 's/^fuzz_//')
  mkdir -p "$fuzz/found/$name"
  echo "== $name: ${seconds}s"
  if ! ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      "$fuzz/found/$name" "$fuzz/corpus/$name" 2>"$fuzz/$name.log"; then
    tail -40 "$fuzz/$name.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|stat::peak_rss' "$fuzz/$name.log" || true
  fi
done
exit $status

#!/bin/sh
# Syntax colouring, measured side by side in one run:
#   1. colouring a whole 10 MB file of real HTML (Debian's Japanese reference
#      manual, repeated) and one of real Perl (Debian's Perl modules):
#      wexel-tool colour  vs  kate-syntax-highlighter -f html   (wexel must be >= 10x faster)
#   2. the core edit benchmark: one character typed in the middle of 10 MB HTML
#      with comments and of 10 MB PHP (bench_syntax_edit; median <= 10 ms, worst <= 25 ms)
#   3. typing into such an HTML document in a real (offscreen) window, with real
#      key events, until the colours are repainted (bench_gui_typing; <= 50 ms)
# What is missing is installed with apt: libkf5syntaxhighlighting-tools,
# debian-reference-ja (the Perl modules come with perl itself).
#
# usage: bench/syntax.sh [BUILD_DIR]      (default: build; RUNS=n sets the runs, 3)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
tool=${WEXEL_TOOL:-$build/src/tool/wexel-tool}
runs=${RUNS:-3}
[ -x "$tool" ] || { echo "no $tool: build wexel-tool first" >&2; exit 2; }
export WEXEL_RESOURCES="$PWD/resources" LC_ALL=C.UTF-8

need=""
command -v kate-syntax-highlighter >/dev/null 2>&1 || need="$need libkf5syntaxhighlighting-tools"
[ -x /usr/bin/time ] || need="$need time"
command -v bc >/dev/null 2>&1 || need="$need bc"
ls /usr/share/debian-reference/*.ja.html >/dev/null 2>&1 || need="$need debian-reference-ja"
if [ -n "$need" ]; then
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $need >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# 10 MB (10,000,000 bytes) of each, cut at a line end.
fill() {  # fill OUT FILE...
  out=$1; shift
  : > "$out.src"
  for f in "$@"; do cat "$f" >> "$out.src"; done
  : > "$out"
  while [ "$(wc -c < "$out")" -lt 10000000 ]; do cat "$out.src" >> "$out"; done
  head -c 10000000 "$out" | sed '$d' > "$out.cut" && mv "$out.cut" "$out"
  rm -f "$out.src"
}
fill "$work/manual.html" /usr/share/debian-reference/*.ja.html
fill "$work/modules.pl" $(find /usr/share/perl -name '*.pm' | sort)

# The wall-clock time is taken to the millisecond around the command (time's own
# %e counts hundredths, too coarse for a run of a tenth of a second); the CPU time
# comes from time, in hundredths.
timeit() {  # timeit LABEL COMMAND...: "wall cpu" seconds, the best of $runs runs
  label=$1; shift
  : > "$work/$label.times"
  i=0
  while [ $i -lt "$runs" ]; do
    start=$(date +%s%N)
    /usr/bin/time -f '%U %S' -o "$work/$label.one" "$@" > /dev/null
    stop=$(date +%s%N)
    awk -v ns=$((stop - start)) '{ printf "%.3f %.3f\n", ns / 1e9, $1 + $2 }' "$work/$label.one" >> "$work/$label.times"
    i=$((i + 1))
  done
  wall=$(cut -d' ' -f1 "$work/$label.times" | sort -n | head -n 1)
  cpu=$(cut -d' ' -f2 "$work/$label.times" | sort -n | head -n 1)
  echo "$wall $cpu"
}

echo "whole-file colouring, best of $runs runs, seconds of wall-clock time (and of CPU time):"
for pair in "manual.html X/HTML" "modules.pl perl"; do
  set -- $pair
  file=$work/$1
  set -- $1 $2 $(timeit "wexel-$1" "$tool" colour --type "$2" "$file") \
        $(timeit "kate-$1" kate-syntax-highlighter -f html -o "$work/kate.html" "$file")
  printf '  %-12s %4s MB  wexel-tool colour %6.3f (%6.3f)   kate-syntax-highlighter %6.3f (%6.3f)   %sx (%sx)\n' \
    "$1" "$(echo "scale=1; $(wc -c < "$file") / 1000000" | bc)" "$3" "$4" "$5" "$6" \
    "$(echo "scale=1; $5 / $3" | bc)" "$(echo "scale=1; $6 / $4" | bc)"
done

bench=$build/bench/bench_syntax_edit
if [ -x "$bench" ]; then
  echo "one character typed in the middle of 10 MB, 400 keystrokes each:"
  WEXEL_BENCH_HTML="$work/manual.html" "$bench" --benchmark_filter=TypeInto 2>/dev/null |
    sed -n 's/^BM_\([A-Za-z]*\).*cpu_median_ms=\([0-9.]*\) cpu_worst_ms=\([0-9.]*\) median_ms=\([0-9.]*\) worst_ms=\([0-9.k]*\).*/  \1: median \4 ms, worst \5 ms (cpu time: median \2 ms, worst \3 ms)/p'
fi
gui=$build/bench/bench_gui_typing
if [ -x "$gui" ]; then
  echo "keys typed into a 10 MB HTML window, 200 keys, key to repainted colours:"
  WEXEL_BENCH_HTML="$work/manual.html" "$gui" 2>/dev/null |
    sed -n 's/^BM_\([A-Za-z]*\).*cpu_median_ms=\([0-9.]*\) cpu_worst_ms=\([0-9.]*\) median_ms=\([0-9.]*\) worst_ms=\([0-9.k]*\).*/  \1: median \4 ms, worst \5 ms (cpu time: median \2 ms, worst \3 ms)/p'
fi
echo "load average while measuring: $(cut -d' ' -f1-3 /proc/loadavg)"

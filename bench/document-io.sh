#!/bin/sh
# Times wexel-tool against peer tools on 100 MB of real Japanese text (the
# Japanese manual pages, repeated), side by side in one run:
#   detect on UTF-8          vs  wc -l          (target: at most 3x as long)
#   detect on UTF-8          vs  nkf --guess    (target: at least 20x faster)
#   open-bench on Shift JIS  vs  iconv -f CP932 -t UTF-16LE  (target: at most 1.5x)
# open-bench does what opening a document does: read, detect, decode, CR form.
#
# usage: bench/document-io.sh [BUILD_DIR]   (default: build; the tool is built if missing)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
tool="$build/src/tool/wexel-tool"

need=""
command -v nkf >/dev/null 2>&1 || need="$need nkf"
command -v hyperfine >/dev/null 2>&1 || need="$need hyperfine"
[ -d /usr/share/man/ja ] || need="$need manpages-ja"
if [ -n "$need" ]; then
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  $sudo apt-get update -q >/dev/null || true
  # shellcheck disable=SC2086
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $need >/dev/null ||
    echo "could not install$need; going on without" >&2
fi
[ -d /usr/share/man/ja ] || { echo "the Japanese manual pages (manpages-ja) are needed" >&2; exit 1; }
if [ ! -x "$tool" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target wexel-tool
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/wexel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
size=100000000

# All the pages once, then repeated to the size and cut back to a whole line.
find /usr/share/man/ja -name '*.gz' | sort | xargs zcat > "$work/pages.txt"
iconv -c -f UTF-8 -t CP932 "$work/pages.txt" > "$work/pages.sjis" || true
fill() {  # fill SOURCE TARGET
  : > "$2.tmp"
  while [ "$(wc -c < "$2.tmp")" -lt "$size" ]; do cat "$1" >> "$2.tmp"; done
  head -c "$size" "$2.tmp" | sed '$d' > "$2"
  rm -f "$2.tmp"
}
fill "$work/pages.txt" "$work/utf8.txt"
fill "$work/pages.sjis" "$work/sjis.txt"
echo "files: $(wc -c < "$work/utf8.txt") bytes UTF-8, $(wc -c < "$work/sjis.txt") bytes Shift JIS"
"$tool" detect "$work/utf8.txt" "$work/sjis.txt"

# mean seconds of each command, in the order given; hyperfine when it is there.
measure() {  # measure RUNS CMD...
  runs=$1; shift
  if command -v hyperfine >/dev/null 2>&1; then
    hyperfine -N --warmup 1 --runs "$runs" --style basic --export-csv "$work/times.csv" "$@" >&2
    tail -n +2 "$work/times.csv" | cut -d, -f2 | awk '{ printf "%.3f\n", $1 }'
  else
    for c in "$@"; do
      start=$(date +%s%N); i=0
      while [ $i -lt "$runs" ]; do sh -c "$c" >/dev/null; i=$((i + 1)); done
      end=$(date +%s%N)
      echo "$start $end $runs" | awk '{ printf "%.3f\n", ($2 - $1) / 1e9 / $3 }'
    done
  fi
}

ratio() { echo "$1 $2" | awk '{ printf "%.2f", $1 / $2 }'; }
verdict() { echo "$1 $2 $3" | awk '{ if (($2 == "<=" && $1 <= $3) || ($2 == ">=" && $1 >= $3)) print "ok"; else print "MISSED" }'; }

set -- $(measure 15 "wc -l $work/utf8.txt" "$tool detect $work/utf8.txt")
wc=$1 detect=$2
nkf=""
if command -v nkf >/dev/null 2>&1; then
  set -- $(measure 3 "nkf --guess $work/utf8.txt")
  nkf=$1
fi
set -- $(measure 8 "iconv -f CP932 -t UTF-16LE $work/sjis.txt" "$tool open-bench $work/sjis.txt")
iconv=$1 open=$2

echo
echo "load average: $(cut -d" " -f1-3 /proc/loadavg 2>/dev/null || echo unknown)"
echo "wc -l               $wc s"
echo "wexel-tool detect   $detect s   $(ratio "$detect" "$wc")x wc -l (target <= 3: $(verdict "$(ratio "$detect" "$wc")" "<=" 3))"
if [ -n "$nkf" ]; then
  echo "nkf --guess         $nkf s   $(ratio "$nkf" "$detect")x slower than detect (target >= 20: $(verdict "$(ratio "$nkf" "$detect")" ">=" 20))"
else
  echo "nkf --guess         not installed, not compared"
fi
echo "iconv CP932->UTF-16 $iconv s"
echo "wexel-tool open     $open s   $(ratio "$open" "$iconv")x iconv (target <= 1.5: $(verdict "$(ratio "$open" "$iconv")" "<=" 1.5))"

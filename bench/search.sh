#!/bin/sh
# Find and replace-all against the usual command-line tools, side by side on
# the same 50 MB UTF-8 text (mostly ASCII words with a Japanese line every ten
# lines, exactly one million letters a):
#   replace-all a -> ab     wexel-tool search replace-all -c   vs  sed 's/a/ab/g'   (limit 1.5x)
#   the same ignoring case  wexel-tool search replace-all      vs  sed 's/a/ab/gI'  (limit 1.5x)
#   find ignoring case,     wexel-tool search find             vs  grep -ic         (limit 2x)
#   no match to the end
# Every command reads the file itself and writes its output to /dev/null.
#
# usage: bench/search.sh [BUILD_DIR]      (default: build; RUNS=n sets the runs, 10)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
tool=${WEXEL_TOOL:-$build/src/tool/wexel-tool}
runs=${RUNS:-10}
[ -x "$tool" ] || { echo "no $tool: build wexel-tool first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
text=$work/text.txt
export LC_ALL=C.UTF-8

perl -CS -e '
    use utf8;
    srand(20261206);
    my @letters = ("b".."z");
    my @japanese = ("日本語の文章を検索して置換する。", "ウェブページとスクリプトを書く人のためのエディタ。",
                    "漢字とかなが混じった行です。");
    my $block = "";
    for my $line (1..1000) {
        my @words;
        my $length = 0;
        while ($length < 44) {
            my $word = join "", map { $letters[int rand @letters] } 1..(2 + int rand 7);
            $word = ucfirst $word if rand() < 0.1;
            push @words, $word;
            $length += length($word) + 1;
        }
        my $k = int rand @words;
        substr($words[$k], int rand(length $words[$k]), 0) = "a";
        $block .= join(" ", @words) . "\n";
        $block .= $japanese[$line % 3] . "\n" if $line % 10 == 0;
    }
    print $block for 1..1000;
' > "$text"

# The results must agree before the times mean anything.
sed 's/a/ab/g' "$text" > "$work/sed.out"
"$tool" search replace-all -c a ab "$text" > "$work/wexel.out" 2> "$work/count"
cmp -s "$work/sed.out" "$work/wexel.out" || { echo "replace-all differs from sed" >&2; exit 1; }
grep -q "Replaced 1000000 words" "$work/count" || { echo "unexpected count: $(cat "$work/count")" >&2; exit 1; }
[ "$(grep -ic Wexel "$text" || true)" = 0 ] || { echo "the find pattern occurs in the text" >&2; exit 1; }
[ "$("$tool" search find Wexel "$text" || true)" = "not found" ] || { echo "find found something" >&2; exit 1; }
rm -f "$work/sed.out" "$work/wexel.out"

# Median wall-clock and processor time (user + system) of each command, the
# two of a pair run alternately. The limit applies to the wall-clock time.
perl -MTime::HiRes=time -e '
    my ($runs, $size, $tool, $text, @pairs) = @ARGV;
    sub run_once {
        my @command = @_;
        my (undef, undef, $cu0, $cs0) = times;
        my $start = time;
        my $pid = fork // die "fork: $!";
        if ($pid == 0) {
            open STDOUT, ">", "/dev/null";
            open STDERR, ">", "/dev/null";
            exec @command or exit 127;
        }
        waitpid $pid, 0;
        my $wall = time - $start;
        my (undef, undef, $cu1, $cs1) = times;
        return [$wall, $cu1 + $cs1 - $cu0 - $cs0];
    }
    sub median { my @s = sort { $a <=> $b } @_; return $s[int(@s / 2)]; }
    sub column { my ($i, @runs) = @_; return median(map { $_->[$i] } @runs); }
    my $failed = 0;
    printf "%-44s %11s %11s\n", "command (" . sprintf("%.1f", $size / 1e6) . " MB, $runs runs)", "wall", "cpu";
    while (@pairs) {
        my ($limit, $ours, $theirs) = splice @pairs, 0, 3;
        my (@a, @b);
        for (1..$runs) {
            push @a, run_once(split " ", $ours);
            push @b, run_once(split " ", $theirs);
        }
        my ($ta, $tb) = (column(0, @a), column(0, @b));
        my ($ca, $cb) = (column(1, @a), column(1, @b));
        my ($na, $nb) = map { my $n = $_; $n =~ s/\Q$tool\E/wexel-tool/g; $n =~ s/\Q$text\E/TEXT/g; $n } $ours, $theirs;
        printf "%-44s %8.0f ms %8.0f ms\n%-44s %8.0f ms %8.0f ms\n", $na, $ta * 1000, $ca * 1000, $nb, $tb * 1000, $cb * 1000;
        my $ratio = $ta / $tb;
        my $verdict = $ratio <= $limit ? "ok" : "TOO SLOW";
        $failed ||= $ratio > $limit;
        printf "  wall ratio %.2f (limit %.1f) %s; cpu ratio %.2f\n", $ratio, $limit, $verdict, $ca / $cb;
    }
    exit($failed ? 1 : 0);
' "$runs" "$(wc -c < "$text")" "$tool" "$text" \
    1.5 "$tool search replace-all -c a ab $text" "sed s/a/ab/g $text" \
    1.5 "$tool search replace-all a ab $text" "sed s/a/ab/gI $text" \
    2.0 "$tool search find Wexel $text" "grep -ic Wexel $text"

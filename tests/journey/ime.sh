#!/bin/sh
# Japanese typed through a real input method: fcitx5 with mozc on a private X
# display, romaji typed with xdotool into a new document, and the text read
# back from the editor over D-Bus at each stage of the composition.
#
# usage: tests/journey/ime.sh [BUILD_DIR]
#   BUILD_DIR defaults to build.
#   IME_SHOTS: the folder for the screenshots (default: a new temporary folder).
#   IME_USER: who runs the session when this is run as root (default nobody):
#     mozc_server refuses to run as root and ends at once, without a word.
#
# It starts its own Xvfb, openbox, session bus, fcitx5 and a home and
# configuration folder of their own, so it touches none of your settings, and
# ends every process it started. Each check prints PASS or FAIL; it exits 1
# when one fails. Look at the screenshots: the composition should be drawn in
# the text at the caret, the candidate window just below it.
set -eu
self=$(realpath "$0")
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${1:-build}
editor=$root/$build/src/gui/wexel
[ -x "$editor" ] || { echo "no $editor: build wexel first" >&2; exit 2; }
. "$root/tests/journey/lib.sh"
need ime Xvfb openbox xdotool import xdpyinfo dbus-run-session gdbus fcitx5 fcitx5-remote pgrep

# First the session bus, as the user who will run the session; the rest of
# the script runs inside it.
if [ -z "${IME_IN_SESSION:-}" ]; then
  shots=$(realpath -m "${IME_SHOTS:-$(mktemp -d -t ime-shots.XXXXXX)}")
  mkdir -p "$shots"
  rm -f "$shots"/*.png
  result=0
  if [ "$(id -u)" -eq 0 ]; then
    user=${IME_USER:-nobody}
    chown "$user" "$shots"
    IME_IN_SESSION=1 IME_SHOTS=$shots \
      setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups \
      dbus-run-session -- sh "$self" "$build" || result=$?
    chown -R 0:0 "$shots"
  else
    IME_IN_SESSION=1 IME_SHOTS=$shots dbus-run-session -- sh "$self" "$build" || result=$?
  fi
  echo "screenshots in $shots"
  exit $result
fi
SHOTS=$IME_SHOTS

work=$(mktemp -d)
mkdir -p "$work/home" "$work/config/fcitx5" "$work/runtime"
chmod 700 "$work/runtime"
# Without a runtime folder fcitx5 and Qt would each leave one in /tmp.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
unset WAYLAND_DISPLAY
fcitx=""
cleanup() {
  result=$?
  if [ "$result" -ne 0 ] && [ "$status" -eq 0 ]; then
    echo "FAIL: stopped early (exit status $result); the last lines of the editor's and fcitx5's logs:"
    tail -n 5 "$work/editor.log" "$work/fcitx5.log" 2>/dev/null || true
  fi
  # mozc_server is started by fcitx5 and outlives it.
  mozc=""
  [ -n "$fcitx" ] && mozc=$(pgrep -P "$fcitx" -x mozc_server || true)
  stop_started
  for pid in $mozc; do stop "$pid"; done
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# The default group: the US keyboard when the input method is off, mozc when
# it is on. Ctrl+Space switches between them.
cat > "$work/config/fcitx5/profile" <<'EOF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
EOF
cat > "$work/config/fcitx5/config" <<'EOF'
[Hotkey/TriggerKeys]
0=Control+space
EOF

start_display
fcitx5 --disable=wayland,waylandim >"$work/fcitx5.log" 2>&1 &
fcitx=$!
track "$fcitx"
has_owner() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}
for _ in $(seq 100); do has_owner org.fcitx.Fcitx5 && break; sleep 0.1; done
check "fcitx5 is on the session bus" "has_owner org.fcitx.Fcitx5"
[ $status -eq 0 ] || { tail -n 20 "$work/fcitx5.log"; exit 1; }
# mozc's converter is a server that fcitx5 starts as it loads mozc, and waits
# for; one that has ended is left as a zombie.
mozc_running() {
  for pid in $(pgrep -P "$fcitx" -x mozc_server); do
    case $(ps -o stat= -p "$pid") in Z*) ;; *) return 0 ;; esac
  done
  return 1
}
for _ in $(seq 50); do mozc_running && break; sleep 0.1; done
sleep 0.5
check "mozc_server is running" mozc_running
[ $status -eq 0 ] || { echo "(mozc_server ends at once when run as root)"; exit 1; }

QT_QPA_PLATFORM=xcb QT_IM_MODULE=fcitx XMODIFIERS=@im=fcitx QT_DEBUG_PLUGINS=1 \
  WEXEL_RESOURCES="$root/resources" "$editor" --new-document >"$work/editor.log" 2>&1 &
editor_pid=$!
track $editor_pid

# In the C locale gdbus would print "?" for each character outside ASCII.
wexel="env LC_ALL=C.UTF-8 gdbus call --session --dest io.wexel.Wexel"
# value DBUS-CALL-OUTPUT: a single string or number answered, without its quotes.
value() { sed -e "s/^(<[\"']\{0,1\}//" -e "s/[\"']\{0,1\}>,)\$//"; }
for _ in $(seq 100); do
  document=$($wexel --object-path /io/wexel/Wexel --method org.freedesktop.DBus.Properties.Get \
    io.wexel.Wexel.Application documents 2>/dev/null | sed -n "s/.*objectpath '\([^']*\)'.*/\1/p") || true
  [ -n "$document" ] && break
  sleep 0.1
done
[ -n "$document" ] || { echo "FAIL: the editor opened no document"; tail -n 20 "$work/editor.log"; exit 1; }
get() { $wexel --object-path "$document" --method org.freedesktop.DBus.Properties.Get io.wexel.Wexel.Document "$1" | value; }
set_property() {
  $wexel --object-path "$document" --method org.freedesktop.DBus.Properties.Set io.wexel.Wexel.Document "$1" "$2" >/dev/null
}
caret() { set_property selectedrange "<{'uni_location': <$1>, 'uni_length': <0>}>"; }

page=$(window --pid "$editor_pid")
xdotool windowsize "$page" 700 420
sleep 0.5

# The text and the selection must be as given, checked once the keys have had
# time to arrive (text with CR line ends, as the editor keeps it).
expect() {
  sleep 0.5
  text=$(get text)
  at="$(get selectionLocation)+$(get selectionLength)"
  if [ "$text" = "$2" ] && [ "$at" = "$3" ]; then
    printf 'PASS: %s\n' "$1"
  else
    printf 'FAIL: %s: the text is "%s" (expected "%s"), the selection %s (expected %s)\n' "$1" "$text" "$2" "$at" "$3"
    status=1
  fi
}
type_slowly() { xdotool type --delay 120 "$1"; }

# The input method serves the editor's window once it has an input context
# there; fcitx5-remote answers 1 (off) or 2 (on) for it, 0 without one.
for _ in $(seq 50); do [ "$(fcitx5-remote)" != 0 ] && break; sleep 0.1; done
fcitx5-remote -o
sleep 1
check "the input method is on in the editor's window" '[ "$(fcitx5-remote)" = 2 ]'
if [ $status -ne 0 ]; then
  echo "the editor's input method plugins:"
  grep -i 'platforminputcontexts\|fcitx' "$work/editor.log" | grep -iv 'factoryloader: checking' | head -20
  exit 1
fi

# While composing and converting, the text stays as it was; Return commits.
type_slowly nihongo
shot preedit
expect "the composition is not in the text yet" "" "0+0"
keys space
shot converted
expect "the conversion is not in the text yet" "" "0+0"
keys Return
shot committed
expect "Return commits the conversion at the caret" "日本語" "3+0"

# Escape takes a conversion back to the composition, and a composition away:
# neither leaves anything in the text.
type_slowly kanji
keys space
expect "a second conversion is not in the text yet" "日本語" "3+0"
keys Escape
expect "Escape on a conversion inserts nothing" "日本語" "3+0"
keys Escape
shot cancelled
expect "a second Escape cancels, inserting nothing" "日本語" "3+0"
# Nothing is left to commit: Return is a line end.
keys Return
expect "after cancelling, Return ends the line" "日本語\\r" "4+0"
keys BackSpace
expect "BackSpace takes the line end away" "日本語" "3+0"

# In the middle of the text the composition goes in at the caret.
caret 3
set_property selectedtext "<'<p></p>'>"
caret 6
type_slowly nihongo
expect "a composition in the middle is not in the text yet" "日本語<p></p>" "6+0"
keys space
shot converted-in-line
# The candidate list is open on the second candidate; Up goes back to 日本語.
keys space Up
shot candidates
expect "a conversion in the middle is not in the text yet" "日本語<p></p>" "6+0"
keys Return
shot inserted
expect "the conversion goes in at the caret" "日本語<p>日本語</p>" "9+0"
# The steps of the composition leave nothing to undo: one Undo takes it all.
keys ctrl+z
expect "Undo takes the whole conversion away" "日本語<p></p>" "6+0"

exit $status

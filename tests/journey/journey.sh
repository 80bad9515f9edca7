#!/bin/sh
# A user's journey through the editor on a real X display: a window manager,
# real key and mouse events from xdotool, and a screenshot after each step.
#
# usage: tests/journey/journey.sh [BUILD_DIR] [SHOTS_DIR]
#   BUILD_DIR defaults to build, SHOTS_DIR to journey-shots (PNG files, one a step).
#   LANGUAGE=ja runs it with the Japanese menus and dialogs.
#
# It starts its own Xvfb, openbox and session bus, and a home folder of its own,
# so it touches none of your settings. At the end it checks what the steps
# should have left behind (the preference file, the saved page, the browser's
# arguments) and exits 1 when something is missing. Look at the screenshots.
set -eu
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${1:-build}
shots=$(realpath -m "${2:-journey-shots}")
editor=$root/$build/src/gui/wexel
[ -x "$editor" ] || { echo "no $editor: build wexel first" >&2; exit 2; }
. "$root/tests/journey/lib.sh"
need journey Xvfb openbox xdotool import xdpyinfo dbus-run-session

work=$(mktemp -d)
mkdir -p "$shots" "$work/home" "$work/bin"
rm -f "$shots"/*.png
cleanup() {
  stop_started
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# A browser that only writes down how it was started.
cat > "$work/bin/firefox" <<EOF
#!/bin/sh
printf '%s\n' "\$@" > "$work/browser-arguments"
EOF
chmod +x "$work/bin/firefox"

cp "$root/resources/samples/sample-sjis-crlf.html" "$work/page.html"

start_display

cat > "$work/steps.sh" <<'STEPS'
set -eu
. "$ROOT/tests/journey/lib.sh"

# The windows' titles in the language the editor will choose.
case "${LANGUAGE:-${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}}" in
  ja*) find_title='検索と置換' information_title='テキスト情報' preferences_title='環境設定'
       colour_title='文字の色' untitled_title='名称未設定' ;;
  *) find_title='Find and Replace' information_title='Text Information' preferences_title='Preferences'
     colour_title='Text colour' untitled_title='Untitled' ;;
esac

HOME=$WORK/home PATH=$WORK/bin:$PATH WEXEL_RESOURCES=$ROOT/resources "$EDITOR" "$WORK/page.html" 2>"$WORK/editor.log" &
editor=$!
page=$(window 'page.html')
xdotool windowsize "$page" 900 700
shot window

# Find and replace in the panel, which leaves the text free for typing.
keys ctrl+f
window "$find_title" >/dev/null
xdotool type --delay 40 'Wexel'
keys Tab
xdotool type --delay 40 'WEXEL'
shot find-panel
keys Return
window 'page.html' >/dev/null
shot found
# Edit › Find › Replace All, from the keyboard.
keys alt+e Down Down Down Down Down Down Down Right Down Down Down Down Down Down
shot replace-all-item
keys Return
shot replaced
keys Return
window 'page.html' >/dev/null
keys ctrl+s

# Format › Text Information… (the last item).
keys alt+r Up
keys Return
window "$information_title" >/dev/null
shot information
keys Return
window 'page.html' >/dev/null

# The preferences: another key scheme, the browser, and a new colour for
# plain text, which a new document shows.
keys ctrl+comma
window "$preferences_title" >/dev/null
keys alt+k Up Up
shot key-scheme
keys alt+w alt+b Down alt+r ctrl+a
xdotool type --delay 40 'firefox'
shot browser
keys alt+c alt+p
window "$colour_title" >/dev/null
keys alt+h ctrl+a
xdotool type --delay 40 '#cc3300'
shot text-colour
keys Return
window "$preferences_title" >/dev/null
keys Return
window 'page.html' >/dev/null
# Ctrl+N moves down a line now: File › New from the menu bar.
keys alt+f
shot file-menu
keys Return
window "$untitled_title" >/dev/null
xdotool type --delay 40 'Plain text in the new colour.'
shot new-colour
keys ctrl+z

# File › Open with Browser (second from the end) on the page.
window 'page.html' >/dev/null
keys alt+f Up Up Return
sleep 1
shot browser-opened

# File › Quit (the last item); the new document is not saved.
keys alt+f Up Return
sleep 1
xdotool search --onlyvisible --name 'Wexel' >/dev/null 2>&1 && shot quit-question && keys alt+d
for _ in $(seq 50); do kill -0 "$editor" 2>/dev/null || break; sleep 0.1; done
kill "$editor" 2>/dev/null || true
STEPS

SHOTS=$shots WORK=$work ROOT=$root EDITOR=$editor dbus-run-session -- sh "$work/steps.sh"

plist=$work/home/.config/Wexel/Wexel.plist
check "the key scheme is stored" "grep -A1 '<key>key_bind_type</key>' '$plist' | grep -q '<integer>2</integer>'"
check "the text colour is stored" "grep -q '<key>base_string_color</key>' '$plist'"
check "the replaced page was saved" "grep -q WEXEL '$work/page.html' && ! grep -q Wexel '$work/page.html'"
check "the browser was given the page" "grep -qx 'file://$work/page.html' '$work/browser-arguments'"
echo "screenshots in $shots"
exit $status

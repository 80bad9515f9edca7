# shellcheck shell=sh
# Sourced by the scripts in this folder, which drive the editor on a private X
# display: starting the display, and the steps' helpers (screenshots, windows,
# keys, checks). The scripts that source it run with `set -eu`.

# need GROUP TOOL...: ends the script when a tool is missing, naming the
# group of scripts/install-deps.sh that brings it.
need() {
  group=$1
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh $group" >&2; exit 2; }
  done
}

# The processes the script started, newest first; stop_started ends them.
started=""
# track PID: one more process for stop_started.
track() { started="$1 $started"; }
# stop PID: asks a process to end, and after 3 s makes it.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 30); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
}
stop_started() {
  for pid in $started; do
    stop "$pid"
    wait "$pid" 2>/dev/null || true
  done
  started=""
}

# start_display: an Xvfb on a free display and openbox on it; exports DISPLAY.
start_display() {
  number=$((50 + $$ % 100))
  while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  track $!
  export DISPLAY=":$number"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY" >&2; exit 2; }
  openbox >/dev/null 2>&1 &
  track $!
  sleep 1
}

# shot NAME: a screenshot of the whole display into $SHOTS, numbered by step.
step=0
shot() {
  sleep 0.6
  step=$((step + 1))
  import -window root "$SHOTS/$(printf %02d $step)-$1.png"
  echo "step $step: $1"
}

# window TITLE, or window --pid PID: waits for a visible window whose title
# matches (or of that process), brings it to the front and prints its id.
window() {
  if [ "$1" = --pid ]; then set -- "$2" --pid; else set -- "$1" --name; fi
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible "$2" "$1" 2>/dev/null | tail -1) && [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "${id:-}" ] || { echo "no window \"$1\"" >&2; exit 1; }
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  echo "$id"
}

keys() { xdotool key --delay 80 "$@"; sleep 0.3; }

# check DESCRIPTION CONDITION: prints PASS or FAIL; a failure sets status to 1.
status=0
check() {
  if eval "$2"; then echo "PASS: $1"; else echo "FAIL: $1"; status=1; fi
}

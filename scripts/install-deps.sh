#!/bin/sh
# Installs the Debian packages Wexel needs to build, run and test, skipping
# what is already there. Run as root or with sudo available.
set -eu

packages="cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libplist-dev libicu-dev libsqlite3-dev nlohmann-json3-dev sqlite3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-ricty-diminished
  dbus dbus-bin dbus-daemon libglib2.0-bin python3-gi
  perl ruby manpages-ja xauth libnotify-bin
  firefox-esr
  clang libclang-rt-14-dev llvm"

# "scripts/install-deps.sh journey" adds what tests/journey/journey.sh drives
# the editor with: an X server, a window manager, xdotool and screenshots.
# "scripts/install-deps.sh ime" adds to those the input method that
# tests/journey/ime.sh types Japanese with: fcitx5, its Qt 6 module and mozc
# (mozc-server is the converter itself, with its dictionary built in).
case "${1:-}" in
  journey|ime) packages="$packages xvfb openbox xdotool imagemagick x11-utils" ;;
esac
if [ "${1:-}" = ime ]; then
  packages="$packages fcitx5 fcitx5-frontend-qt6 fcitx5-mozc mozc-server procps"
fi

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing

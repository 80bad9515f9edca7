#!/bin/sh
# Installs what is missing, builds, and runs every test (widget tests offscreen,
# D-Bus tests on a private session bus).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen dbus-run-session -- ctest --output-on-failure -j2 --timeout 300

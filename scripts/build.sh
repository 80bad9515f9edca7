#!/bin/sh
# Configures and builds Wexel into ./build (Release with debug info) with Ninja.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

#!/bin/sh
# Configures and builds Wexel with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into ./build-asan, with the fuzz targets.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DWEXEL_SANITIZE=ON -DWEXEL_BUILD_BENCH=OFF -DWEXEL_BUILD_FUZZ=ON >/dev/null
cmake --build build-asan

#!/bin/sh
# Installs what is missing, builds, and runs every test (widget tests offscreen,
# D-Bus tests on a private session bus).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen dbus-run-session -- ctest --output-on-failure -j2 --timeout 300
cd ..

# The same suite again, built by clang with AddressSanitizer (leaks included)
# and UndefinedBehaviorSanitizer in ./build-asan: any report fails its test.
scripts/build-asan.sh
cd build-asan
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
QT_QPA_PLATFORM=offscreen dbus-run-session -- ctest --output-on-failure -j2 --timeout 300
cd ..

# Every fuzz target for a few seconds from its seed corpus: a finding fails.
scripts/fuzz.sh "${WEXEL_FUZZ_SECONDS:-10}"

#!/usr/bin/env bash
# Builds Quaverly and runs the whole test suite headless.
# Usage: scripts/test.sh [build-dir] [extra cmake arguments...]
#   QUAVERLY_SANITIZE=address|thread|undefined scripts/test.sh build-asan
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -G Ninja -DQUAVERLY_SANITIZE="${QUAVERLY_SANITIZE:-}" "$@"
cmake --build "$build_dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
# Debian's Qt, FFmpeg and glib are not built with ThreadSanitizer: what they do unseen under
# their own locks is suppressed. Under the sanitizer the test programs start children
# fork-style (tests/support/TestMain.cpp), so it keeps checking the threads that start a
# child and every thread created after; a program that starts a thread after a fork the
# sanitizer cannot follow dies.
export TSAN_OPTIONS="suppressions=$PWD/tests/support/tsan.supp ${TSAN_OPTIONS:-}"
# An undefined-behaviour report fails the test that caused it.
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1 ${UBSAN_OPTIONS:-}"
cd "$build_dir"
ctest --output-on-failure -j"$(nproc)" --timeout 600

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
# Conversion jobs start ffmpeg from worker threads: the child only execs, which is safe.
# Debian's Qt is not built with ThreadSanitizer: its own painting threads are suppressed.
export TSAN_OPTIONS="die_after_fork=0 suppressions=$PWD/tests/support/tsan.supp ${TSAN_OPTIONS:-}"
# An undefined-behaviour report fails the test that caused it.
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1 ${UBSAN_OPTIONS:-}"
cd "$build_dir"
ctest --output-on-failure -j"$(nproc)" --timeout 600

#!/usr/bin/env bash
# Builds Mova and runs the whole test suite: the normal build first, then
# Mova for Windows, 64-bit and 32-bit, with their tests under Wine
# (scripts/test-windows.sh), then the AddressSanitizer +
# UndefinedBehaviorSanitizer build. Installs what is missing.
# MOVA_SKIP_SANITIZE=1 leaves out the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)
run_suite() {  # build dir, extra cmake arguments...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  # One virtual display for the GUI and end-to-end tests; tests that need no
  # display ignore it, and the no-display test clears DISPLAY itself.
  xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --test-dir "$dir" -j"$jobs" --output-on-failure --timeout 300
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
bash scripts/test-windows.sh
if [ "${MOVA_SKIP_SANITIZE:-0}" != 1 ]; then
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DMOVA_SANITIZE=ON
fi

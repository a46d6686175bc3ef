#!/usr/bin/env bash
# Builds the platform-free core and its tests for 32-bit Windows with
# mingw-w64 and runs the tests under Wine (CTest starts and stops one Wine
# server for the run). Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DMOVA_CORE_ONLY=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-win -j"$(nproc)"
# No display is needed: the core's tests draw nothing.
env -u DISPLAY ctest --test-dir build-win --output-on-failure --timeout 300

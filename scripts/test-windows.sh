#!/usr/bin/env bash
# Builds mova.exe and the tests for 32-bit Windows with mingw-w64 and runs
# them under Wine on a virtual display (CTest starts and stops one Wine server
# for the run). Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOVA_CORE_ONLY=OFF >/dev/null
cmake --build build-win -j"$(nproc)"
# One display for the whole run: Wine's desktop lives as long as its server.
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build-win -j"$(nproc)" --output-on-failure --timeout 300

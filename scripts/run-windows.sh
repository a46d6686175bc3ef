#!/usr/bin/env bash
# Builds mova.exe for 32-bit Windows and plays FILE (a path of this machine),
# or the demo clip, under Wine. Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOVA_CORE_ONLY=OFF >/dev/null
cmake --build build-win -j"$(nproc)" --target mova
if [ $# -eq 0 ]; then
  cmake --build build-win --target demo_clip >/dev/null
  set -- build-win/demo/demo.avi
fi
# Wine sees this machine's files on drive Z:.
file="Z:$(realpath "$1" | tr / '\\')"
prefix=$PWD/build-win/wine
scripts/wine-run.sh "$prefix" --start >/dev/null
exec scripts/wine-run.sh "$prefix" build-win/src/app/mova.exe "$file"

#!/usr/bin/env bash
# Configures and builds Mova for Windows from the same sources, at one width:
#   build-windows.sh win32 [TARGET...]   i686, the program that ships, in build-win
#   build-windows.sh win64 [TARGET...]   x86_64, in build-win64
# Without targets it builds everything: mova.exe and the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
case ${1:-} in
  win32) dir=build-win toolchain=cmake/mingw-w64-i686.cmake ;;
  win64) dir=build-win64 toolchain=cmake/mingw-w64-x86_64.cmake ;;
  *) echo "usage: $0 win32|win64 [TARGET...]" >&2; exit 2 ;;
esac
shift
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOVA_CORE_ONLY=OFF >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"

#!/usr/bin/env bash
# Builds Mova for Windows and plays FILE (a path of this machine), or the
# demo clip, under Wine: the 32-bit mova.exe that ships where the kernel
# starts 32-bit programs, the 64-bit one elsewhere (MOVA_WINDOWS=win32 or
# win64 chooses). Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
arch=${MOVA_WINDOWS:-}
if [ -z "$arch" ]; then
  if bash scripts/runs-32bit-programs.sh; then arch=win32; else arch=win64; fi
fi
case $arch in
  win32) dir=build-win ;;
  win64) dir=build-win64 ;;
  *) echo "run-windows.sh: MOVA_WINDOWS is win32 or win64, not '$arch'" >&2; exit 2 ;;
esac
bash scripts/build-windows.sh "$arch" mova
if [ $# -eq 0 ]; then
  cmake --build "$dir" --target demo_clip >/dev/null
  set -- "$dir/demo/demo.avi"
fi
# Wine sees this machine's files on drive Z:.
file="Z:$(realpath "$1" | tr / '\\')"
prefix=$PWD/$dir/wine
scripts/wine-run.sh "$arch" "$prefix" --start >/dev/null
exec scripts/wine-run.sh "$arch" "$prefix" "$dir/src/app/mova.exe" "$file"

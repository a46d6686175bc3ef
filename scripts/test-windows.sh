#!/usr/bin/env bash
# Builds Mova for Windows at both widths from the same sources and runs the
# Windows tests under Wine on a virtual display (CTest starts and stops one
# Wine server per build). Installs what is missing.
#  - build-win64 (x86_64): every test, under 64-bit Wine, on every machine.
#  - build-win (i686, the shipped mova.exe and zip): every test under 32-bit
#    Wine where the kernel starts 32-bit programs. Where it does not (some
#    virtual machines' hosts turn that emulation off), the build is still
#    made whole and checked without running it: the programs' format and
#    imports, the zip's contents (and every core header after <windows.h>,
#    which the build compiles); the run says loudly what it left out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
run_tests() {  # build dir, ctest arguments...
  local dir=$1; shift
  # One display for the whole run: Wine's desktop lives as long as its server.
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$dir" -j"$(nproc)" --output-on-failure --timeout 300 "$@"
}

bash scripts/build-windows.sh win64
run_tests build-win64

bash scripts/build-windows.sh win32
if [ "${MOVA_NO_32BIT:-0}" = 1 ]; then
  why="MOVA_NO_32BIT=1 leaves them out"
elif ! bash scripts/runs-32bit-programs.sh; then
  why="this kernel does not start 32-bit programs"
elif [ ! -x /usr/lib/wine/wine ]; then
  why="32-bit Wine is not installed (scripts/deps.sh says why)"
else
  run_tests build-win
  exit 0
fi
echo "test-windows.sh: 32-BIT WINDOWS TESTS UNDER WINE NOT RUN: $why;" \
  "the 32-bit build was made and checked without running it, and the 64-bit build ran every Windows test" >&2
ctest --test-dir build-win --output-on-failure --timeout 300 -L '^without_wine$'

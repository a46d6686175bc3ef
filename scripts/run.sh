#!/usr/bin/env bash
# Builds Mova and plays FILE, or a demo clip that the build generates when no
# file is given. Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ ! -x build/src/app/mova ]; then
  echo "mova: the player window is not built yet; the core library and tests are (run scripts/test.sh)." >&2
  exit 0
fi
if [ $# -eq 0 ]; then
  cmake --build build --target demo_clip >/dev/null
  set -- build/demo/demo.avi
fi
exec build/src/app/mova "$@"

#!/usr/bin/env bash
# The Windows zip as its user gets it, made by CPack from the Windows build:
#   windows-zip.sh make BUILD_DIR OUT_DIR NAME   makes OUT_DIR/NAME.zip and checks it
#   windows-zip.sh run OUT_DIR NAME RUNNER...    unpacks it and runs mova.exe with RUNNER
# The zip must hold one folder NAME with mova.exe and README.txt (lines ending
# in CR LF, as Windows' editors and the key map expect). Unpacked elsewhere,
# mova.exe runs under Wine (the build's runner, whose server the fixture has
# started) and reads the key map beside it, as README.txt says: its "X Exit"
# binding ends the program with 0.
set -euo pipefail
mode=$1; shift

if [ "$mode" = make ]; then
  build=$1 out=$2 name=$3
  rm -rf "$out"
  mkdir -p "$out"
  if ! cpack -G ZIP -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    exit 1
  fi
  zips=("$out"/*.zip)
  [ "${zips[*]}" = "$out/$name.zip" ] || { echo "CPack made ${zips[*]##*/}, not $name.zip alone"; exit 1; }
  listing=$(unzip -Z1 "$out/$name.zip" | grep -v '/$' | sort)
  echo "$listing"
  [ "$listing" = "$(printf '%s\n' "$name/README.txt" "$name/mova.exe")" ] ||
    { echo "the zip should hold $name/mova.exe and $name/README.txt only"; exit 1; }
  unzip -p "$out/$name.zip" "$name/README.txt" >"$out/README.txt"
  if grep -q $'[^\r]$' "$out/README.txt"; then
    echo "README.txt has lines that do not end in CR LF"
    exit 1
  fi
  echo "$name.zip holds mova.exe and README.txt"
  exit 0
fi

[ "$mode" = run ] || { echo "usage: $0 make BUILD_DIR OUT_DIR NAME | run OUT_DIR NAME RUNNER..."; exit 2; }
out=$1 name=$2; shift 2
unpacked=$out/unpacked
rm -rf "$unpacked"
unzip -q "$out/$name.zip" -d "$unpacked"
printf 'X Exit\r\n' >"$unpacked/$name/keymap"

"$@" "$unpacked/$name/mova.exe" &
mova=$!
window=""
for _ in $(seq 1 60); do
  window=$(xdotool search --onlyvisible --name '^Mova$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 $mova 2>/dev/null || break
  sleep 0.5
done
if [ -z "$window" ]; then
  echo "no window of the unpacked mova.exe"
  kill $mova 2>/dev/null || true
  exit 1
fi
# Wine takes the key from the X server and hands it to the program's loop,
# whose accelerators come from the key map beside mova.exe.
for _ in 1 2 3; do
  xdotool key --window "$window" x 2>/dev/null || true
  for _ in $(seq 1 20); do
    kill -0 $mova 2>/dev/null || break 2
    sleep 0.25
  done
done
if kill -0 $mova 2>/dev/null; then
  echo "the unpacked mova.exe did not end on the Exit key of the key map beside it"
  kill $mova 2>/dev/null || true
  exit 1
fi
code=0
wait $mova || code=$?
echo "$name.zip: mova.exe ran from where it was unpacked and ended with $code"
[ $code -eq 0 ]

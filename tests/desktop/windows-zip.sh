#!/usr/bin/env bash
# The Windows zip as its user gets it, made by CPack from the Windows build:
#   windows-zip.sh BUILD_DIR OUT_DIR WINE_PREFIX
# It must hold one folder with mova.exe and README.txt (lines ending in CR LF,
# as Windows' editors and the key map expect). Unpacked elsewhere, mova.exe
# runs under Wine (whose server the fixture has started) and reads the key map
# beside it, as README.txt says: its "X Exit" binding ends the program with 0.
set -euo pipefail
build=$1 out=$2 prefix=$3
wine_run=$(dirname "$0")/../../scripts/wine-run.sh

rm -rf "$out"
mkdir -p "$out"
if ! cpack -G ZIP -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  exit 1
fi
zips=("$out"/mova-*-win32.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || { echo "not one mova-*-win32.zip in $out"; exit 1; }
zip=${zips[0]}
folder=$(basename "$zip" .zip)
listing=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
echo "$listing"
[ "$listing" = "$(printf '%s\n' "$folder/README.txt" "$folder/mova.exe")" ] ||
  { echo "the zip should hold $folder/mova.exe and $folder/README.txt only"; exit 1; }

unpacked=$out/unpacked
unzip -q "$zip" -d "$unpacked"
readme=$unpacked/$folder/README.txt
if grep -q $'[^\r]$' "$readme"; then
  echo "README.txt has lines that do not end in CR LF"
  exit 1
fi
printf 'X Exit\r\n' >"$unpacked/$folder/keymap"

"$wine_run" "$prefix" "$unpacked/$folder/mova.exe" &
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
echo "${zip##*/}: mova.exe ran from where it was unpacked and ended with $code"
[ $code -eq 0 ]

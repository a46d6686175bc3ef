#!/usr/bin/env bash
# The Debian package as apt would get it, made by CPack from this build:
#   debian-package.sh BUILD_DIR OUT_DIR STAGED_USR SETUP_CHECK
# It must depend on the package of every library its binary links and on
# every GStreamer plugin package the set-up check names for the graph's
# elements, hold exactly what `cmake --install` stages under /usr (the
# fixture's DESTDIR install, STAGED_USR), and its binary must find all its
# libraries. Prints each fault and fails when there is one.
set -euo pipefail
build=$1 out=$2 staged=$3 setup=$4

rm -rf "$out"
mkdir -p "$out"
if ! cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  exit 1
fi
debs=("$out"/mova_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "not one mova_*.deb in $out"; exit 1; }
deb=${debs[0]}
depends=", $(dpkg-deb -f "$deb" Depends),"
echo "Depends: ${depends:2:-1}"
faults=0
fault() { echo "$*"; faults=$((faults + 1)); }
depends_on() { [[ $depends == *", $1,"* || $depends == *", $1 ("* ]]; }

unpacked=$out/unpacked
dpkg-deb -x "$deb" "$unpacked"
binary=$unpacked/usr/bin/mova
[ -x "$binary" ] || fault "no usr/bin/mova in the package"

# The libraries the binary links itself, each from the package of this
# system that holds the file the dynamic linker finds.
resolved=$(ldd "$binary")
grep -q "not found" <<<"$resolved" && fault "libraries not found: $(grep "not found" <<<"$resolved")"
while read -r library; do
  path=$(awk -v lib="$library" '$1 == lib && $2 == "=>" {print $3; exit}' <<<"$resolved")
  real=$(readlink -f "$path")
  # Merged /usr: dpkg may know the file under either name.
  package=$(dpkg -S "$real" "${real#/usr}" "/usr$real" 2>/dev/null | head -n 1 | cut -d: -f1 || true)
  if [ -z "$package" ]; then
    fault "no package holds $library ($path)"
  elif ! depends_on "$package"; then
    fault "links $library of $package, which is not a dependency"
  fi
done < <(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

# The plugin packages of the elements the graph and the tests build.
while read -r package; do
  depends_on "$package" || fault "the elements of $package are needed, and it is not a dependency"
done < <(sed -n '/^elements=(/,/^)/p' "$setup" | grep -o '"[^"]*"' | tr -d '"' | awk '{print $2}' |
  grep '^gstreamer1.0-' | sort -u)

# The same files as the staged install, and nothing else.
diff <(cd "$staged/.." && find usr -type f | sort) <(cd "$unpacked" && find usr -type f | sort) ||
  fault "the package holds other files than the install stages"

[ $faults -eq 0 ] && echo "${deb##*/}: the dependencies and files are complete"
[ $faults -eq 0 ]

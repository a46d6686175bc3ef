#!/usr/bin/env bash
# Installs the Debian 12 packages Mova needs to build, run and test, when any
# is missing. Idempotent: with everything present it installs nothing.
set -euo pipefail

# The GStreamer plugin packages are the ones the graph's elements come from
# (gstreamer1.0-x brings the text overlay that subtitles are drawn with);
# scripts/check-setup.sh checks them element by element before any other test.
packages=(
  build-essential cmake ninja-build pkg-config libgtest-dev
  qt6-base-dev libgl-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-tools
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-x libyuv-dev
  ffmpeg xvfb xauth xdotool x11-utils imagemagick
  # gdb shows where a player that stopped answering waits, in a failed
  # end-to-end test's report.
  gdb
  # Installing and packaging: the icon rendered from its SVG, the Debian
  # package's library dependencies (dpkg-shlibdeps), and what the tests check
  # the installed files with: the validators, the MIME database's tools and
  # GIO's type detection, xdg-open, the manual page viewer.
  librsvg2-bin dpkg-dev desktop-file-utils appstream xdg-utils file libglib2.0-bin man-db
  unzip  # the Windows zip's test unpacks it
  # The desktop's media controls and screen saver: a private session bus,
  # and a media-controls client nobody here wrote.
  dbus-daemon dbus-session-bus-common playerctl
  # Wayland: Qt's Wayland plugin, and weston's headless compositor with the
  # headers its test keyboard module is built against.
  qt6-wayland weston libweston-10-dev
  # Windows: the cross compilers for 32-bit (the program that ships) and
  # 64-bit, and 64-bit Wine to run the 64-bit build's tests; its DirectShow
  # decodes through the GStreamer plugins above.
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64
)
# 32-bit Wine, for the 32-bit build's tests, only where the kernel starts
# 32-bit programs: elsewhere it could not run, and the i386 architecture
# would only bring its package lists (and their troubles) to every update.
# Its DirectShow decodes through the 32-bit GStreamer plugins.
wine32=(wine32:i386 gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386)
if bash "$(dirname "$0")/runs-32bit-programs.sh"; then packages+=("${wine32[@]}"); fi
if [ "${MOVA_FUZZ_DEPS:-0}" = 1 ]; then packages+=(clang libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
# 32-bit Wine comes from the i386 architecture.
if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
# A mirror that is half-way through a sync fails one list or another; the
# install below then works from the lists that did arrive.
update_log=$(mktemp)
trap 'rm -rf "$update_log" "${sources_dir:-}"' EXIT
"${sudo[@]}" apt-get update -qq 2>&1 | tee "$update_log" ||
  echo "deps.sh: some package lists could not be refreshed; going on with the others" >&2
install=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)

# A suite whose list for one architecture did not arrive offers the other
# architecture newer versions than it: the 32-bit packages then cannot match
# their 64-bit twins. This installs without the suites named in $failed,
# through a sources folder of its own.
install_without_failed_suites() {
  sources_dir=$(mktemp -d)
  mkdir "$sources_dir/parts"
  drop_suites() {  # one sources file in, the same without the failed suites out
    case $1 in
      *.sources) awk -v failed="$failed" '
        BEGIN { n = split(failed, f, " "); for (i = 1; i <= n; i++) drop[f[i]] = 1 }
        /^Suites:/ { line = "Suites:"; for (i = 2; i <= NF; i++) if (!($i in drop)) line = line " " $i
                     print (line == "Suites:" ? "Enabled: no\nSuites: none" : line); next }
        { print }' "$1" ;;
      *) awk -v failed="$failed" '
        BEGIN { n = split(failed, f, " "); for (i = 1; i <= n; i++) drop[f[i]] = 1 }
        { for (i = 2; i <= NF; i++) if ($i in drop) { print "#" $0; next } print }' "$1" ;;
    esac
  }
  [ -f /etc/apt/sources.list ] && drop_suites /etc/apt/sources.list > "$sources_dir/sources.list"
  for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && drop_suites "$f" > "$sources_dir/parts/$(basename "$f")"
  done
  touch "$sources_dir/sources.list"
  "${install[@]}" -o Dir::Etc::sourcelist="$sources_dir/sources.list" \
    -o Dir::Etc::sourceparts="$sources_dir/parts" "${missing[@]}"
}

"${install[@]}" "${missing[@]}" && exit 0
failed=$(sed -n 's|.*Failed to fetch [^ ]*/dists/\([^/ ]*\)/.*|\1|p' "$update_log" | sort -u | tr '\n' ' ')
if [ -n "$failed" ]; then
  echo "deps.sh: installing again without the suites whose lists did not arrive: $failed" >&2
  install_without_failed_suites && exit 0
fi
# 64-bit packages already installed from a suite whose 32-bit list is missing
# have no 32-bit twins to match. 32-bit Wine then cannot be had, but
# everything else can: install that, and say what is left out (the 32-bit
# Windows tests then say that they did not run).
rest=()
for p in "${missing[@]}"; do [[ $p == *:i386 ]] || rest+=("$p"); done
[ ${#rest[@]} -lt ${#missing[@]} ] || exit 1
echo "deps.sh: 32-BIT WINE COULD NOT BE INSTALLED (the package lists offer no 32-bit twins of" \
  "the 64-bit libraries installed); installing the rest" >&2
[ ${#rest[@]} -eq 0 ] || "${install[@]}" "${rest[@]}"

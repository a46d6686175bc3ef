#!/usr/bin/env bash
# Proves the README's two set-up commands on fresh Debian 12 roots: each
# command gets a root of its own, made by debootstrap (minbase) under
# build/fresh/, with a clean clone of the committed project in /mova. The run
# command plays the demo clip on a virtual display of this machine and is
# stopped a few seconds after its window shows the clip; the test command runs
# whole. Then the Debian package: made with CPack in a root that has only
# what scripts/deps.sh installs, and installed with
# `apt-get install ./mova_*.deb` (without recommended packages) into another
# fresh root, where the installed mova plays the demo clip. Prints pass or
# fail for each and exits 0 only when all passed.
#
# Run it by hand, as root, on a machine that reaches Debian's mirror; it takes
# about three quarters of an hour. Never part of the test suite.
#   bash scripts/check-fresh.sh [--only run|test|deb] [--keep]
# MOVA_FRESH_EXTRA_SOURCES: lines added to each root's sources.list.
set -euo pipefail
cd "$(dirname "$0")/.."
project=$(pwd)

only=""
keep=0
while [ $# -gt 0 ]; do
  case $1 in
    --only) only=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "usage: $0 [--only run|test|deb] [--keep]" >&2; exit 2 ;;
  esac
done
[ "$(id -u)" -eq 0 ] || { echo "check-fresh: needs root (debootstrap and chroot)" >&2; exit 2; }

# What this script itself uses on the machine that runs it.
tools=(debootstrap xvfb xdotool x11-utils imagemagick git)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq || echo "check-fresh: some package lists could not be refreshed; going on with the others" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

work=$project/build/fresh
mirror=http://deb.debian.org/debian
mkdir -p "$work/cache"
mounted=()
xvfb_pid=""

cleanup() {
  local m
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    m=${mounted[i]}
    umount -R -l "$m" 2>/dev/null || true
  done
  mounted=()
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# A bare root: the packages of a minimal Debian 12 system and nothing else.
# The downloaded packages are kept in build/fresh/cache for the next run;
# every root is unpacked anew.
make_root() {  # folder
  local root=$1
  rm -rf "$root"
  debootstrap --variant=minbase --cache-dir="$work/cache" bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { echo "check-fresh: debootstrap failed, see $root.debootstrap.log" >&2; return 1; }
  cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
  # Further package sources for every root, one per line (a local copy of an
  # index the mirror serves broken while it syncs, a proxy).
  if [ -n "${MOVA_FRESH_EXTRA_SOURCES:-}" ]; then printf '%s\n' "$MOVA_FRESH_EXTRA_SOURCES" >>"$root/etc/apt/sources.list"; fi
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  git clone -q "$project" "$root/mova"
  for m in proc sys dev; do
    mount --rbind "/$m" "$root/$m"
    mount --make-rslave "$root/$m"
    mounted+=("$root/$m")
  done
  # The virtual display of this machine, shared with the run command.
  # (On a machine where no X server ran yet, its socket folder is made here.)
  mkdir -p "$root/tmp/.X11-unix"
  [ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
  mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  mounted+=("$root/tmp/.X11-unix")
}

in_root() {  # folder, command...
  local root=$1
  shift
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 "$@"
}

# Waits up to `seconds` for the demo clip's window on `display` (while the
# process `pid` runs) and checks that it stays and has the clip's size plus
# the 13-pixel bar. Appends what it saw to `log`, takes a screenshot to
# `screenshot`, and then ends the player. Succeeds when the window was right.
check_demo_window() {  # display, pid, seconds, log, screenshot
  local display=$1 pid=$2 seconds=$3 log=$4 screenshot=$5
  local window="" deadline=$((SECONDS + seconds))
  while [ -z "$window" ] && [ $SECONDS -lt $deadline ] && kill -0 "$pid" 2>/dev/null; do
    sleep 5
    window=$(DISPLAY=$display xdotool search --onlyvisible --name '^demo\.avi \(352x240 25\.000fps\) 100% - Mova$' 2>/dev/null |
      head -n 1 || true)
  done
  local result=1
  if [ -n "$window" ]; then
    sleep 4
    DISPLAY=$display import -window root "$screenshot" 2>/dev/null || true
    local size
    size=$(DISPLAY=$display xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
    if kill -0 "$pid" 2>/dev/null && [ "$size" = 352x253 ]; then result=0; fi
    echo "window $window: $(DISPLAY=$display xdotool getwindowname "$window"), $size" >>"$log"
    # The root shares this machine's processes: the window's owner is the player.
    kill "$(DISPLAY=$display xdotool getwindowpid "$window" 2>/dev/null)" 2>/dev/null || true
  fi
  return $result
}

check_run() {
  local root=$work/run-root log=$work/run.log
  make_root "$root" || return 1
  local display=:97
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  in_root "$root" DISPLAY="$display" bash -c 'cd /mova && bash scripts/run.sh' >"$log" 2>&1 &
  local run_pid=$!
  # Installing and building take minutes; the window comes at the end.
  local result=fail
  if check_demo_window "$display" "$run_pid" 1800 "$log" "$work/run.png"; then result=pass; fi
  kill "$run_pid" 2>/dev/null || true
  wait "$run_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
  cleanup
  [ "$keep" = 1 ] || rm -rf "$root"
  echo "run command (bash scripts/run.sh): $result (log: $log, screenshot: $work/run.png)"
  [ "$result" = pass ]
}

check_test() {
  local root=$work/test-root log=$work/test.log
  make_root "$root" || return 1
  local result=fail
  if in_root "$root" bash -c 'cd /mova && bash scripts/test.sh' >"$log" 2>&1; then result=pass; fi
  cleanup
  [ "$keep" = 1 ] || rm -rf "$root"
  echo "test command (bash scripts/test.sh): $result (log: $log)"
  grep -E 'tests passed|tests failed' "$log" || true
  [ "$result" = pass ]
}

check_deb() {
  local build_root=$work/deb-build-root install_root=$work/deb-install-root log=$work/deb.log
  make_root "$build_root" || return 1
  local result=fail deb=""
  # The package and the demo clip, made where only deps.sh has installed anything.
  if in_root "$build_root" bash -c 'cd /mova && bash scripts/deps.sh &&
      cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
      cmake --build build --target mova desktop_files demo_clip && cd build && cpack -G DEB' >"$log" 2>&1; then
    deb=$(cd "$build_root/mova/build" && ls mova_*.deb | head -n 1)
  fi
  if [ -n "$deb" ] && make_root "$install_root"; then
    cp "$build_root/mova/build/$deb" "$build_root/mova/build/demo/demo.avi" "$install_root/tmp/"
    if in_root "$install_root" bash -c 'cd /tmp && apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends ./mova_*.deb' >>"$log" 2>&1; then
      echo "installed: $(in_root "$install_root" dpkg-query -W mova)" >>"$log"
      local display=:98
      Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      sleep 1
      # The installed program, found on the PATH as the desktop entry's Exec finds it.
      in_root "$install_root" DISPLAY="$display" QADLPROF=/tmp/profile mova /tmp/demo.avi >>"$log" 2>&1 &
      local run_pid=$!
      if [ -f "$install_root/usr/share/applications/mova.desktop" ] &&
        check_demo_window "$display" "$run_pid" 60 "$log" "$work/deb.png"; then
        result=pass
      fi
      kill "$run_pid" 2>/dev/null || true
      wait "$run_pid" 2>/dev/null || true
      kill "$xvfb_pid" 2>/dev/null || true
      xvfb_pid=""
    fi
  fi
  cleanup
  [ "$keep" = 1 ] || rm -rf "$build_root" "$install_root"
  echo "Debian package (apt-get install ./${deb:-mova_*.deb} on a fresh root): $result (log: $log, screenshot: $work/deb.png)"
  [ "$result" = pass ]
}

status=0
if [ -z "$only" ] || [ "$only" = run ]; then check_run || status=1; fi
if [ -z "$only" ] || [ "$only" = test ]; then check_test || status=1; fi
if [ -z "$only" ] || [ "$only" = deb ]; then check_deb || status=1; fi
exit $status

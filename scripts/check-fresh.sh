#!/usr/bin/env bash
# Proves the README's two set-up commands on fresh Debian 12 roots: each
# command gets a root of its own, made by debootstrap (minbase) under
# build/fresh/, with a clean clone of the committed project in /mova. The run
# command plays the demo clip on a virtual display of this machine and is
# stopped a few seconds after its window shows the clip; the test command runs
# whole. Prints pass or fail for each and exits 0 only when both passed.
#
# Run it by hand, as root, on a machine that reaches Debian's mirror; it takes
# about half an hour. Never part of the test suite.
#   bash scripts/check-fresh.sh [--only run|test] [--keep]
set -euo pipefail
cd "$(dirname "$0")/.."
project=$(pwd)

only=""
keep=0
while [ $# -gt 0 ]; do
  case $1 in
    --only) only=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "usage: $0 [--only run|test] [--keep]" >&2; exit 2 ;;
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
  apt-get update -qq
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
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  git clone -q "$project" "$root/mova"
  for m in proc sys dev; do
    mount --rbind "/$m" "$root/$m"
    mount --make-rslave "$root/$m"
    mounted+=("$root/$m")
  done
  # The virtual display of this machine, shared with the run command.
  mkdir -p "$root/tmp/.X11-unix"
  mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  mounted+=("$root/tmp/.X11-unix")
}

in_root() {  # folder, command...
  local root=$1
  shift
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 "$@"
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
  local window="" deadline=$((SECONDS + 1800))
  while [ -z "$window" ] && [ $SECONDS -lt $deadline ] && kill -0 "$run_pid" 2>/dev/null; do
    sleep 5
    window=$(DISPLAY=$display xdotool search --onlyvisible --name '^demo\.avi \(352x240 25\.000fps\) 100% - Mova$' 2>/dev/null |
      head -n 1 || true)
  done
  local result=fail
  if [ -n "$window" ]; then
    sleep 4
    DISPLAY=$display import -window root "$work/run.png" 2>/dev/null || true
    local size
    size=$(DISPLAY=$display xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
    if kill -0 "$run_pid" 2>/dev/null && [ "$size" = 352x253 ]; then result=pass; fi
    echo "window $window: $(DISPLAY=$display xdotool getwindowname "$window"), $size" >>"$log"
  fi
  # The root shares this machine's processes: the window's owner is the player.
  if [ -n "$window" ]; then
    kill "$(DISPLAY=$display xdotool getwindowpid "$window" 2>/dev/null)" 2>/dev/null || true
  fi
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

status=0
if [ "$only" != test ]; then check_run || status=1; fi
if [ "$only" != run ]; then check_test || status=1; fi
exit $status

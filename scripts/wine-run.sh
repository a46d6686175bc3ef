#!/usr/bin/env bash
# Runs a Windows program under Wine of the given width in the prefix PREFIX,
# quietly:
#   wine-run.sh win32|win64 PREFIX PROGRAM [ARGUMENTS...]
#   wine-run.sh win32|win64 PREFIX --start   makes the prefix if needed, starts
#                                            a Wine server that stays and warms
#                                            it up with one command
#   wine-run.sh win32|win64 PREFIX --stop    stops that server
# win64 is 64-bit Wine (Debian's wine64) in a 64-bit prefix; win32 is 32-bit
# Wine (wine32:i386) in a 32-bit prefix, which only a kernel that starts
# 32-bit programs can run. The loaders are named by path: Debian's `wine`
# sends every program to the 32-bit loader whenever wine32 is installed.
# Without a server that stays, every program waits seconds for Wine's services.
set -euo pipefail
arch=$1 prefix=$2; shift 2
case $arch in
  win64) loader=/usr/lib/wine/wine64 ;;
  win32) loader=/usr/lib/wine/wine ;;
  *) echo "wine-run.sh: the width is win32 or win64, not '$arch'" >&2; exit 2 ;;
esac
[ -x "$loader" ] || { echo "wine-run.sh: $loader is not installed (scripts/deps.sh installs it)" >&2; exit 2; }
# One server for both widths: the 64-bit one serves 32-bit programs as well.
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=/usr/lib/wine/wineserver32
export WINEPREFIX=$prefix WINEARCH=$arch WINESERVER=$server WINEDEBUG=-all
# No Mono or Gecko installer dialogs, no debugger for a crash.
export WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe="
# A home of the prefix's own whose ALSA default device accepts every sound
# and plays none, so that files with sound play where there is no sound card.
export HOME=$prefix/home
if [ ! -f "$HOME/.asoundrc" ]; then
  mkdir -p "$HOME"
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
fi
case "${1:-}" in
  --start)
    mkdir -p "$prefix"
    # A server of this prefix that still runs (an earlier run stopped short)
    # goes first, so that the new one stays.
    "$server" -k 2>/dev/null || true
    # Nothing Wine leaves running may hold the caller's output open.
    "$server" -p </dev/null >/dev/null 2>&1
    # The first program makes or updates the prefix and waits for it.
    "$loader" cmd /c exit </dev/null >/dev/null 2>&1
    # Windows not managed by a window manager (there is none under Xvfb):
    # otherwise destroying a window waits seconds for one to answer.
    "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    echo "Wine server running for $prefix ($arch)"
    ;;
  --stop)
    "$server" -k || true
    ;;
  *)
    exec "$loader" "$@"
    ;;
esac

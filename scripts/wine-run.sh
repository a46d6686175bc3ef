#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in the prefix PREFIX, quietly:
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
#   wine-run.sh PREFIX --start   makes the prefix if needed, starts a Wine server
#                                that stays and warms it up with one command
#   wine-run.sh PREFIX --stop    stops that server
# Without a server that stays, every program waits seconds for Wine's services.
set -euo pipefail
prefix=$1; shift
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
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
    wineserver -k 2>/dev/null || true
    # Nothing Wine leaves running may hold the caller's output open.
    wineserver -p </dev/null >/dev/null 2>&1
    # The first program makes or updates the prefix and waits for it.
    wine cmd /c exit </dev/null >/dev/null 2>&1
    # Windows not managed by a window manager (there is none under Xvfb):
    # otherwise destroying a window waits seconds for one to answer.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    echo "Wine server running for $prefix"
    ;;
  --stop)
    wineserver -k || true
    ;;
  *)
    exec wine "$@"
    ;;
esac

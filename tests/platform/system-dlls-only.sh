#!/usr/bin/env bash
# Fails, naming the DLL, when a Windows program imports a DLL that is not the
# system's own: OBJDUMP PROGRAM...
set -euo pipefail
objdump=$1; shift
status=0
for program in "$@"; do
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll|user32.dll|gdi32.dll|shell32.dll|comdlg32.dll|ole32.dll|oleaut32.dll|winmm.dll|msvcrt.dll|advapi32.dll) ;;
      *) echo "$program imports $dll, which is not a system DLL"; status=1 ;;
    esac
  done < <("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
done
exit $status

#!/usr/bin/env bash
# Fails, naming the program and what is wrong, when a Windows program is not
# of the expected format (pei-i386 or pei-x86-64) or imports a DLL that is
# not the system's own: OBJDUMP FORMAT PROGRAM...
set -euo pipefail
objdump=$1 format=$2; shift 2
status=0
for program in "$@"; do
  found=$("$objdump" -f "$program" | sed -n 's/.*file format //p')
  if [ "$found" != "$format" ]; then
    echo "$program is $found, not $format"
    status=1
  fi
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll|user32.dll|gdi32.dll|shell32.dll|comdlg32.dll|ole32.dll|oleaut32.dll|winmm.dll|msvcrt.dll|advapi32.dll) ;;
      *) echo "$program imports $dll, which is not a system DLL"; status=1 ;;
    esac
  done < <("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
done
exit $status

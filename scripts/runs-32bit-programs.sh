#!/usr/bin/env bash
# Exits 0 when this kernel starts 32-bit x86 programs, 1 when it does not.
# Some virtual machines' hosts turn that emulation off ("IA-32 emulation
# off"); 32-bit Wine then fails with "Exec format error". The only sure test
# is to start one: a 96-byte static i386 program, written here byte by byte,
# that ends with exit code 42 through the 32-bit system call.
set -uo pipefail
# MOVA_NO_32BIT=1 answers "no" without trying, to take the way such a kernel takes.
[ "${MOVA_NO_32BIT:-0}" != 1 ] || exit 1
program=$(mktemp "${TMPDIR:-/tmp}/mova-i386.XXXXXX") || exit 1
trap 'rm -f "$program"' EXIT
# The ELF header: 32-bit, little-endian, an executable for the 386 entered at
# 0x08048054, with one program header right after it.
header='\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'
header+='\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000'
header+='\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000'
# The program header: the file's 96 bytes loaded at 0x08048000, readable and
# executable.
segment='\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010'
segment+='\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000'
# mov eax, 1 (exit); mov ebx, 42; int 0x80
code='\270\001\000\000\000\273\052\000\000\000\315\200'
printf "$header$segment$code" >"$program"
chmod +x "$program"
"$program" 2>/dev/null
[ $? -eq 42 ]

#!/usr/bin/env bash
# Fails unless the program imports only system DLLs: the tracer beside the
# uninstaller is named ws2_32.dll, and a program importing WS2_32 would load
# it from there. Prints the imports and the program's size.
set -euo pipefail
program=$1
imports=$(i686-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
echo "$(basename "$program"): $(stat -c %s "$program") bytes; imports: $(echo $imports)"
unexpected=$(echo "$imports" | grep -viE '^(kernel32|user32|msvcrt)\.dll$' || true)
if [ -n "$unexpected" ]; then
    echo "unexpected imports: $(echo $unexpected)" >&2
    exit 1
fi

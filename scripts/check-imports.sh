#!/usr/bin/env bash
# Usage: check-imports.sh BUDGET_KIB PROGRAM...
# Fails unless each program imports only system DLLs (the tracer beside the
# uninstaller is named ws2_32.dll, and a program importing WS2_32 would load
# it from there) and stays within the size budget. Prints imports and sizes.
set -euo pipefail
budget=$(( $1 * 1024 ))
shift
status=0
for program in "$@"; do
    imports=$(i686-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
    size=$(stat -c %s "$program")
    echo "$(basename "$program"): $size bytes (budget $budget); imports: $(echo $imports)"
    unexpected=$(echo "$imports" | grep -viE '^(kernel32|user32|msvcrt)\.dll$' || true)
    if [ -n "$unexpected" ]; then
        echo "unexpected imports: $(echo $unexpected)" >&2
        status=1
    fi
    if [ "$size" -gt "$budget" ]; then
        echo "$(basename "$program") is over its size budget" >&2
        status=1
    fi
done
exit $status

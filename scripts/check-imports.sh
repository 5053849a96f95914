#!/usr/bin/env bash
# Usage: check-imports.sh OBJDUMP FORMAT PROGRAM BUDGET_KIB [PROGRAM BUDGET_KIB]...
# Fails unless each program is a PE file of FORMAT (pei-i386 for the shipped
# 32-bit build), each .exe a console program, each imports only system DLLs
# (KERNEL32, USER32, msvcrt and ADVAPI32, all known DLLs; the tracer beside
# the uninstaller is named ws2_32.dll, and a program
# importing WS2_32 would load it from there), and each stays within its size
# budget. Reads the files only: it runs on any host. Prints what it found.
set -euo pipefail
objdump=$1
format=$2
shift 2
status=0
fail() { echo "$(basename "$program"): $*" >&2; status=1; }
while [ $# -ge 2 ]; do
    program=$1 budget=$(( $2 * 1024 ))
    shift 2
    headers=$("$objdump" -p "$program")
    found=$(sed -n 's/.*file format //p' <<<"$headers" | head -n 1)
    subsystem=$(sed -n 's/^Subsystem\s*[0-9a-f]*\s*//p' <<<"$headers")
    imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
    size=$(stat -c %s "$program")
    echo "$(basename "$program"): $found, $subsystem, $size bytes (budget $budget); imports: $(echo $imports)"
    [ "$found" = "$format" ] || fail "is $found, not $format"
    case "$program" in
        *.exe) [ "$subsystem" = "(Windows CUI)" ] || fail "is no console program" ;;
    esac
    unexpected=$(grep -viE '^(kernel32|user32|msvcrt|advapi32)\.dll$' <<<"$imports" || true)
    [ -z "$unexpected" ] || fail "unexpected imports: $(echo $unexpected)"
    [ "$size" -le "$budget" ] || fail "is over its size budget"
done
exit $status

#!/usr/bin/env bash
# Usage: check-programs.sh OBJDUMP FORMAT PROGRAM BUDGET_KIB [PROGRAM BUDGET_KIB]...
# Fails unless each program is a PE file of FORMAT (pei-i386 for the shipped
# 32-bit build), each .exe a console program, and each stays within its size
# budget, and each .exe Terminal Server aware. Reads the files only: it runs on any host. Prints what it found,
# imports included; which DLLs they may import, the suite checks wherever
# the programs run (ImportsTest).
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
        *.exe) [ "$subsystem" = "(Windows CUI)" ] || fail "is no console program"
               grep -q TERMINAL_SERVICE_AWARE <<<"$headers" || fail "is not Terminal Server aware" ;;
    esac
    [ "$size" -le "$budget" ] || fail "is over its size budget"
done
exit $status

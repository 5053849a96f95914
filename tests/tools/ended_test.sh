#!/bin/sh
# A test that hangs costs its time limit and no more: when CTest ends it,
# what it started under Wine ends with it instead of holding CTest's output
# pipe open. Runs, as a CTest test of LIMIT seconds, the runner waiting on
# a program that never ends; fails when CTest took more than SLACK seconds
# past the limit, or when anything the test started is still running.
# Usage: ended_test.sh LIMIT SLACK RUNNER EMULATOR...
set -eu
limit=$1 slack=$2 runner=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
{
    printf 'add_test(hang'
    for word in "$@" "$runner" --timeout 600 'C:\windows\notepad.exe'; do printf ' [==[%s]==]' "$word"; done
    printf ')\nset_tests_properties(hang PROPERTIES TIMEOUT %s)\n' "$limit"
} >"$scratch/CTestTestfile.cmake"
# Wine's server and services are the prefix's, not the test's: started
# before the mark, so that they do not carry it.
"$@" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
# Every process the test starts, Windows programs included, inherits this.
mark="VANTREL_ENDED_TEST=$$"
export VANTREL_ENDED_TEST=$$
start=$(date +%s)
timeout $((limit + slack + 60)) ctest --test-dir "$scratch" >"$scratch/ctest.log" 2>&1 || true
took=$(($(date +%s) - start))
left=""
for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    [ "$pid" != $$ ] && grep -qxzF "$mark" "$environ" 2>/dev/null || continue
    command=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null) || continue
    # Wine's desktop, which the first window starts, serves the whole prefix.
    case $command in *'explorer.exe /desktop'*) continue ;; esac
    left="$left $command"
    kill -9 "$pid" 2>/dev/null || true
done
status=0
grep -q "Timeout" "$scratch/ctest.log" || { echo "ended_test: CTest did not end the test on its limit:"; status=1; }
[ "$took" -le $((limit + slack)) ] || { echo "ended_test: CTest took $took s for a test of $limit s"; status=1; }
[ -z "$left" ] || { printf 'ended_test: still running after the test was ended:%s\n' "$left"; status=1; }
[ $status = 0 ] || cat "$scratch/ctest.log"
exit $status

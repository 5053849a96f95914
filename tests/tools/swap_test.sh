#!/bin/sh
# A standard user who may change the product's folder swaps it, atomically
# and without pause, with a link to another folder that holds files of the
# same names, while the runner removes the product, RUNS times, every
# second time with the DLL held: nothing in the other folder may change,
# appear or vanish, the uninstaller there included, which the runner
# deletes from the product's folder after a 0. Prints how many runs ended
# with which status.
# Usage: swap_test.sh RUNS BIN_DIR EMULATOR... (the emulator names the
# prefix: wine-run.sh PREFIX ARCH)
set -eu
runs=$1 bin=$2
shift 2
# The prefix first, booted where it is new.
prefix=$2 drive=$2/drive_c
"$@" cmd /c exit </dev/null >/dev/null 2>&1
pub=$drive/swap-pub victim=$drive/swap-victim runner=$drive/swap-runner
rm -rf "$pub" "$victim" "$runner"
mkdir -p "$pub/Vantrel" "$victim" "$runner"
chmod 777 "$pub"
ln -s ../swap-victim "$pub/other"
printf 'MZ victim library' >"$victim/ws2_32.dll"
printf 'VICTIM 1\r\n' >"$victim/vantrelconfig.txt"
# The uninstaller in both, so that it starts whichever its path meets.
cp "$bin/uninstall.exe" "$pub/Vantrel/"
cp "$bin/uninstall.exe" "$victim/"
cp "$bin/uninstall-unattended.exe" "$bin/dialog_probe.dll" "$runner/"
# The folder's names, sizes, modes, times and bytes; its own time of
# change tells of a file that appeared and vanished again. Nothing of its
# parent, which a prefix still settling changes.
listing() { (cd "$victim" && stat -c '%n %s %a %.9Y' . * && sha256sum ./* 2>/dev/null); }
before=$(listing)
# Wine carries out a deletion at the close by the file's path, in
# wineserver, after checking that the path still names the same file; a
# swap between that check and the deletion would redirect Wine's own step,
# which Windows takes on the open file. On a busy or emulated machine that
# moment can last milliseconds. So everything here runs on one processor,
# where the server, given real-time priority, finishes a request before
# the swapper runs again; the programs themselves can still be interrupted
# anywhere. (With the programs free to run on another processor, a busy
# emulated machine took 1354 s against 611 s, though with three busy
# processes beside it instead of two.)
server=$(for p in $(pgrep '^wineserver'); do
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qx "WINEPREFIX=$prefix" && echo "$p"
done | head -n 1)
[ -n "$server" ] || { echo "swap_test: no wineserver runs for $prefix" >&2; exit 1; }
cpus=$(taskset -pc "$server" | sed 's/.*: //')
taskset -pc 0 "$$" >/dev/null
taskset -a -pc 0 "$server" >/dev/null
restore() { taskset -a -pc "$cpus" "$server" >/dev/null 2>&1; chrt -a -o -p 0 "$server" 2>/dev/null || true; }
trap restore EXIT
chrt -a -f -p 1 "$server" ||
    echo "swap_test: wineserver cannot have real-time priority here, so a swap may meet Wine's own deletion step" >&2
# Exchanges the two names for as long as it runs (renameat2, 316 on
# x86-64, RENAME_EXCHANGE), every 10 ms on average: any path the programs
# look up again meets the link half the time.
swapper() {
    cd "$pub" && exec perl -e "while (1) { $exchange select(undef, undef, undef, rand(0.02)) }"
}
exchange='my ($a, $b) = ("Vantrel", "other"); syscall(316, -100, $a, -100, $b, 2) == 0 or die "renameat2: $!";' 
counts=""
i=0
while [ $i -lt "$runs" ]; do
    i=$((i + 1))
    printf 'MZ product library' >"$pub/Vantrel/ws2_32.dll"
    printf 'TRACE_ENABLED 1\r\n' >"$pub/Vantrel/vantrelconfig.txt"
    # After a 0 the runner deletes the uninstaller too: that deletion must
    # not reach the other folder's either.
    cp "$bin/uninstall.exe" "$pub/Vantrel/"
    holder=""
    if [ $((i % 2)) = 0 ]; then
        "$@" "$bin/prompt_and_wait.exe" 'C:\swap-pub\Vantrel\ws2_32.dll' </dev/null >/dev/null 2>&1 &
        holder=$!
        sleep 1
    fi
    swapper &
    swapping=$!
    status=0
    # The public folder is the attack: its uninstaller is started anyway,
    # on purpose, to see what the runner's deletions do there.
    "$@" 'C:\swap-runner\uninstall-unattended.exe' --timeout 30 --allow-replaceable-program 'C:\swap-pub\Vantrel\uninstall.exe' \
        </dev/null >"$drive/swap-run.log" 2>&1 || status=$?
    kill "$swapping"
    wait "$swapping" 2>/dev/null || true
    # A holder that Wine could not start on a loaded host leaves that run
    # unheld, which the check below does not need: said, not failed.
    [ -z "$holder" ] || { kill "$holder" 2>/dev/null || echo "swap_test: run $i ran without its holder" >&2
                          wait "$holder" 2>/dev/null || true; }
    # The product's folder back under its name.
    [ ! -L "$pub/Vantrel" ] || (cd "$pub" && perl -e "$exchange")
    counts="$counts$status\n"
    after=$(listing)
    if [ "$after" != "$before" ]; then
        printf 'swap_test: run %s (status %s) changed the other folder:\n%s\nwas:\n%s\n' $i $status "$after" "$before"
        cat "$drive/swap-run.log"
        exit 1
    fi
done
printf "swap_test: $runs runs, the other folder unchanged; statuses (Windows codes modulo 256, count):"
printf "$counts" | sort | uniq -c | while read -r n s; do printf ' %s x%s' "$s" "$n"; done
echo
# After a 3010 here the user puts a link in the folder's place, and the
# restart then must not reach the other folder either.
printf 'MZ product library' >"$pub/Vantrel/ws2_32.dll"
printf 'TRACE_ENABLED 1\r\n' >"$pub/Vantrel/vantrelconfig.txt"
cp "$bin/uninstall.exe" "$pub/Vantrel/"
"$@" "$bin/prompt_and_wait.exe" 'C:\swap-pub\Vantrel\ws2_32.dll' </dev/null >/dev/null 2>&1 &
holder=$!
sleep 1
status=0
"$@" 'C:\swap-runner\uninstall-unattended.exe' --allow-replaceable-program 'C:\swap-pub\Vantrel\uninstall.exe' </dev/null >"$drive/swap-run.log" 2>&1 ||
    status=$?
kill "$holder" 2>/dev/null || echo "swap_test: the last run ran without its holder" >&2
wait "$holder" 2>/dev/null || true
mv "$pub/Vantrel" "$pub/Vantrel.old"
ln -s ../swap-victim "$pub/Vantrel"
"$@" wineboot.exe -r </dev/null >/dev/null 2>&1
after=$(listing)
if [ $status != 194 ] || [ "$after" != "$before" ]; then
    printf 'swap_test: the restart after a 3010 (status %s) changed the other folder:\n%s\nwas:\n%s\n' $status "$after" "$before"
    cat "$drive/swap-run.log"
    exit 1
fi
echo "swap_test: the restart after a 3010 left the other folder unchanged"
rm -rf "$pub" "$victim" "$runner"

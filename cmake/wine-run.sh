#!/bin/sh
# Runs a Windows program under Wine in a private prefix (never ~/.wine).
# Usage: wine-run.sh PREFIX KIND PROGRAM [ARGS...], KIND win32, wow64 or
# win64 (scripts/host.sh).
# The first call boots the prefix with the null display driver, so that
# message boxes are real, blocking windows without a display. A persistent
# wineserver and Wine's background processes are started with their output
# detached: otherwise they hold the caller's pipe open and every run waits
# for them.
set -e
prefix=$1
kind=$2
shift 2
. "$(dirname "$0")/../scripts/host.sh"
wine=$(wine_loader "$kind")
boot=$(wine_boot_loader "$kind")
system=$(wine_system_folder "$kind")
# UTF-8 Unix names, so that Windows names in any script can be stored.
export WINEPREFIX="$prefix" WINEARCH="$(wine_prefix_arch "$kind")" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
       LC_ALL=C.UTF-8
mkdir -p "$prefix"
(
    flock 9
    # A prefix made on a loaded host can come out unable to start its
    # programs (Wine's loader then exits with 53): one that does not start a
    # program of its kind is made once more, and is never marked booted.
    try=1
    while [ ! -f "$prefix/.booted" ]; do
        WINELOADER="$boot" "$boot" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f 9>&- </dev/null \
            >"$prefix.boot.log" 2>&1 || true
        # The desktop process chose its driver before the setting existed.
        wineserver -k 9>&- || true
        status=0
        WINELOADER="$wine" "$wine" cmd /c exit 9>&- </dev/null >>"$prefix.boot.log" 2>&1 || status=$?
        # The server that check started is no persistent one, and would keep
        # the persistent one below from starting.
        wineserver -k 9>&- || true
        if [ $status = 0 ]; then
            touch "$prefix/.booted"
        elif [ $try = 2 ]; then
            echo "wine-run: the $kind prefix $prefix was made twice, and a $kind program does not start in it (status $status); its boot said:" >&2
            cat "$prefix.boot.log" >&2
            exit 1
        else
            rm -rf "$prefix" && mkdir -p "$prefix"
            try=2
        fi
    done
    # A folder link to the system folder as this kind's programs reach it,
    # as a junction would be on Windows.
    [ -L "$prefix/drive_c/system32-link" ] || ln -s "windows/$system" "$prefix/drive_c/system32-link"
    # A product file that is a symbolic link into another folder, as Windows
    # programs under Wine cannot make one.
    mkdir -p "$prefix/drive_c/linked" "$prefix/drive_c/linked-data"
    [ -L "$prefix/drive_c/linked/vantrelconfig.txt" ] ||
        ln -sf ../linked-data/vantrelconfig.txt "$prefix/drive_c/linked/vantrelconfig.txt"
    # A configuration linked to another file of its folder, and a product
    # folder reached through a folder link on the way.
    mkdir -p "$prefix/drive_c/linked-here" "$prefix/drive_c/via-real/app"
    [ -L "$prefix/drive_c/linked-here/vantrelconfig.txt" ] ||
        ln -sf other.txt "$prefix/drive_c/linked-here/vantrelconfig.txt"
    [ -L "$prefix/drive_c/via-link" ] || ln -s via-real "$prefix/drive_c/via-link"
    # A drive letter that stands for a folder, as `subst` makes one: V:\.
    mkdir -p "$prefix/drive_c/vroot"
    [ -L "$prefix/dosdevices/v:" ] || ln -s ../drive_c/vroot "$prefix/dosdevices/v:"
    wineserver -p 9>&- </dev/null >/dev/null 2>&1 || true
    # Wine's own services come up with the first program; start them here.
    WINELOADER="$wine" "$wine" cmd /c exit 9>&- </dev/null >/dev/null 2>&1 || true
) 9>"$prefix.lock"
# Wine writes its traces (WINEDEBUG) to the standard error that a program
# inherits: a test that reads them names the file.
[ -z "${VANTREL_WINE_STDERR:-}" ] || exec 2>>"$VANTREL_WINE_STDERR"
export WINELOADER="$wine"
exec "$wine" "$@"

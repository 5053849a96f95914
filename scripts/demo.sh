#!/usr/bin/env bash
# Builds uninstall.exe and runs it on a sample Vantrel installation in a
# throwaway Wine prefix. With a display you answer the real dialogs;
# without one, uninstall-unattended.exe answers them as an administrator's
# script would, and its log and exit status are shown.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
. scripts/host.sh

# The shipped 32-bit build where this host runs it, as 64-bit Windows runs
# it (installed where a 32-bit installer puts it); else the same sources
# built for x86-64.
if host_runs_32bit; then
    preset=windows kind=wow64 folder="Program Files (x86)" note=""
else
    preset=windows-x64 kind=win64 folder="Program Files"
    note="This host cannot run 32-bit programs: showing the x86-64 build of the same sources."
fi
cmake --preset $preset >/dev/null
cmake --build --preset $preset --target uninstall uninstall-unattended dialog_probe sample_tracer >/dev/null

build=$PWD/build/$preset
wine=$(wine_loader $kind)
boot=$(wine_boot_loader $kind)
work=$(mktemp -d /tmp/vantrel-demo.XXXXXX)
export WINEPREFIX=$work/prefix WINEARCH=$(wine_prefix_arch $kind) WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

echo "Creating a throwaway Wine prefix in $WINEPREFIX ..."
if [ -z "${DISPLAY:-}" ]; then
    WINELOADER=$boot "$boot" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
    # The desktop process chose its driver before the setting existed.
    wineserver -k
fi
export WINELOADER=$wine
wineserver -p </dev/null >/dev/null 2>&1 || true
"$wine" cmd /c exit </dev/null >/dev/null 2>&1

install="$WINEPREFIX/drive_c/$folder/Vantrel"
mkdir -p "$install"
cp "$build/bin/uninstall.exe" "$build/bin/uninstall-unattended.exe" "$build/bin/dialog_probe.dll" \
    "$build/demo/ws2_32.dll" demo/vantrelconfig.txt "$install/"

# What the product's installer registers for Apps & Features, as a 32-bit
# installer writes it (the 32-bit registry view: WOW6432Node on 64-bit
# Windows).
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel'
location="C:\\$folder\\Vantrel"
entry() { "$wine" reg "$@" </dev/null 2>/dev/null | tr -d '\r'; }
version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
entry add "$key" /v DisplayName /d Vantrel /f >/dev/null
entry add "$key" /v DisplayVersion /d "$version" /f >/dev/null
entry add "$key" /v Publisher /d Corvane /f >/dev/null
entry add "$key" /v EstimatedSize /t REG_DWORD /d "$(du -sk "$install" | cut -f1)" /f >/dev/null
entry add "$key" /v InstallLocation /d "$location" /f >/dev/null
entry add "$key" /v NoModify /t REG_DWORD /d 1 /f >/dev/null
entry add "$key" /v NoRepair /t REG_DWORD /d 1 /f >/dev/null
entry add "$key" /v UninstallString /d "\"$location\\uninstall.exe\"" /f >/dev/null
entry add "$key" /v QuietUninstallString /d "\"$location\\uninstall-unattended.exe\"" /f >/dev/null

show() {
    echo "== $1: C:\\$folder\\Vantrel"
    (cd "$install" && ls -l --time-style=+ | tail -n +2)
    if [ -f "$install/vantrelconfig.txt" ]; then
        echo "-- vantrelconfig.txt:"
        sed 's/\r$/  (CR LF)/' "$install/vantrelconfig.txt"
    fi
    echo "-- Apps & Features entry $key:"
    entry query "$key" | grep -E '^ +[A-Za-z]' || echo "   (none)"
    echo
}

[ -z "$note" ] || echo "$note"
show "Before"
program="C:\\$folder\\Vantrel\\uninstall.exe"
if [ -n "${DISPLAY:-}" ]; then
    echo "Starting $program: answer its dialogs."
    (cd "$install" && "$wine" uninstall.exe)
else
    echo "No display: running uninstall-unattended.exe beside it, as a deployment tool would;"
    echo "first with --what-if, which changes nothing and tells what the run will do."
    echo
    (cd "$install" && "$wine" uninstall-unattended.exe --what-if) | tr -d '\r' || true
    echo
    status=0
    (cd "$install" && "$wine" uninstall-unattended.exe) | tr -d '\r' || status=$?
    echo "(A Linux shell sees the exit status modulo 256: $status.)"
    echo
fi
show "After"

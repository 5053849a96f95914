# Sourced by the scripts that run Windows programs: the one place that says
# which Wine runs which build on this host.
#
# Wine's 32-bit loader runs the shipped 32-bit programs, but only where the
# kernel runs 32-bit programs at all (some have their 32-bit emulation
# switched off). Whether it does is found out by trying the loader, never by
# reading the kernel's version. VANTREL_HOST_RUNS_32BIT=0 takes the path of
# a host that cannot, to try it on one that can.

wine32_loader=/usr/lib/wine/wine
wine64_loader=/usr/lib/wine/wine64

# True when 32-bit Wine starts here.
host_runs_32bit() {
    [ "${VANTREL_HOST_RUNS_32BIT:-}" != 0 ] && "$wine32_loader" --version >/dev/null 2>&1
}

# True when 64-bit Wine starts here.
host_runs_64bit() {
    "$wine64_loader" --version >/dev/null 2>&1
}

# Wine's server, whichever loaders are installed.
wineserver() { /usr/lib/wine/wineserver "$@"; }

# The Wine loader for a prefix of the given architecture (win32 or win64).
wine_loader() {
    if [ "$1" = win32 ]; then echo "$wine32_loader"; else echo "$wine64_loader"; fi
}

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

# The Wine loader that runs programs of a prefix kind: win32 (32-bit
# programs in a 32-bit prefix, as 32-bit Windows), wow64 (32-bit programs
# in a 64-bit prefix, as 64-bit Windows runs them) or win64.
wine_loader() {
    if [ "$1" = win64 ]; then echo "$wine64_loader"; else echo "$wine32_loader"; fi
}

# The WINEARCH that makes a prefix of that kind, and the loader that boots it.
wine_prefix_arch() {
    if [ "$1" = win32 ]; then echo win32; else echo win64; fi
}
wine_boot_loader() {
    if [ "$1" = win32 ]; then echo "$wine32_loader"; else echo "$wine64_loader"; fi
}

# The prefix's system folder as that kind's programs reach it.
wine_system_folder() {
    if [ "$1" = wow64 ]; then echo syswow64; else echo system32; fi
}

#!/usr/bin/env bash
# Installs Debian packages through mirrors that may be mid-sync: the host's
# bootstrap runs it, and so does the emulated machine's root (copied in).
# Usage: apt-install.sh PACKAGE... (as root).
#
# A mirror caught mid-sync fails one index ("File has unexpected size ...
# Mirror sync in progress?"). Its update is tried a few times; what still
# fails is left out, and apt goes on with the indexes that answered. When an
# install then fails (one architecture sees a suite the other does not, so
# multi-arch versions no longer match: "held broken packages"), it is tried
# again with the failed suites left out for every architecture. One line
# says which index failed and what was done.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
tries=${VANTREL_APT_TRIES:-3}
log=$(mktemp) update_log=$(mktemp)
pins=$(mktemp -d)
trap 'rm -rf "$log" "$update_log" "$pins"' EXIT

# The indexes the last update could not fetch, as "suite component/arch".
failed_indexes() {
    sed -n 's|^E: Failed to fetch [^ ]*/dists/\([^/]*\)/\([^/]*\)/\([^/]*\)/.*|\1 \2/\3|p' "$update_log" | sort -u
}

for try in $(seq "$tries"); do
    apt-get update -qq >"$update_log" 2>&1 && [ -z "$(failed_indexes)" ] && break
    [ "$try" = "$tries" ] || sleep $((try * 10))
done
failed=$(failed_indexes | paste -sd, -)
if [ -z "$failed" ] && grep -q '^E:' "$update_log"; then
    cat "$update_log" >&2
    echo "apt-install: apt-get update failed (above)" >&2
    exit 1
fi

install() { apt-get install -y -qq --no-install-recommends "$@" "${packages[@]}" >"$log" 2>&1; }
packages=("$@")
if install; then
    [ -z "$failed" ] || echo "apt-install: index $failed failed after $tries tries; installed from the indexes that answered"
    exit 0
fi
if [ -z "$failed" ]; then
    tail -n 20 "$log" >&2
    exit 1
fi
# Leave the failed suites out for every architecture, by pinning them below
# any install; the system's own preferences still hold.
cp -a /etc/apt/preferences.d/. "$pins/" 2>/dev/null || true
suites=$(failed_indexes | cut -d' ' -f1 | sort -u | paste -sd, -)
for suite in ${suites//,/ }; do
    printf 'Package: *\nPin: release n=%s\nPin-Priority: -1\n\nPackage: *\nPin: release a=%s\nPin-Priority: -1\n\n' \
        "$suite" "$suite"
done >"$pins/zz-vantrel-failed-suites.pref"
if install -o Dir::Etc::PreferencesParts="$pins"; then
    echo "apt-install: index $failed failed after $tries tries; installed with suite $suites left out for every architecture"
    exit 0
fi
tail -n 20 "$log" >&2
echo "apt-install: index $failed failed after $tries tries, and the install failed with and without suite $suites" >&2
exit 1

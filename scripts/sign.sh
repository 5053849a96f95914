#!/usr/bin/env bash
# Usage: sign.sh [BIN [OUT]]   (default build/windows/bin and build/windows/signed)
# A release's signing step: Authenticode-signs the shipped files of BIN with
# osslsigncode (SHA-256) into OUT, with a SHA256SUMS of the signed copies;
# the files in BIN stay as built. The certificate comes from the
# environment, never from the repository:
#   VANTREL_SIGN_PFX             PKCS#12 file with the key and its certificate
#   VANTREL_SIGN_PASSWORD        its password
#   VANTREL_SIGN_TIMESTAMP_URL   optional RFC 3161 timestamp server
#   VANTREL_SIGN_URL             optional URL shown with the description
# On any failure it says why in one line and leaves OUT as it was. An OUT
# that holds BIN is refused; in an existing OUT, only the signed files and
# SHA256SUMS are replaced.
set -euo pipefail
bin=${1:-build/windows/bin}
out=${2:-build/windows/signed}
# A folder given with trailing slashes, however many, is the same folder.
while [ "$out" != / ] && [ "${out%/}" != "$out" ]; do out=${out%/}; done
shipped=(uninstall.exe uninstall-unattended.exe dialog_probe.dll)

fail() { echo "sign: $*" >&2; exit 1; }
pfx=${VANTREL_SIGN_PFX:-}
[ -n "$pfx" ] || fail "VANTREL_SIGN_PFX is not set: name the PKCS#12 file to sign with"
[ -f "$pfx" ] && [ -r "$pfx" ] || fail "$pfx: no readable PKCS#12 file there (VANTREL_SIGN_PFX)"
export VANTREL_SIGN_PASSWORD=${VANTREL_SIGN_PASSWORD-}
for name in "${shipped[@]}"; do
    [ -f "$bin/$name" ] || fail "$bin/$name: not built"
done
# The built files must stay as built: they are what the sums and the
# reproducibility check speak of.
[ "$(realpath -m "$out")" != "$(realpath -m "$bin")" ] || fail "$out: that is the built folder; sign into another one"
case $(realpath -m "$bin")/ in
    "$(realpath -m "$out")"/*) fail "$out: it holds the built folder; sign into another one" ;;
esac
[ ! -e "$out" ] || [ -d "$out" ] || fail "$out: not a folder"

mkdir -p "$(dirname "$out")"
work=$(mktemp -d "$out.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Read the certificate first, so a bad password or an expired certificate
# is told apart from a failed signature. -legacy reads files made with
# older algorithms (RC2, 3DES), as Windows exports them.
if ! openssl pkcs12 -in "$pfx" -passin env:VANTREL_SIGN_PASSWORD -nokeys -clcerts -out "$work/cert.pem" 2>"$work/err" &&
   ! openssl pkcs12 -legacy -in "$pfx" -passin env:VANTREL_SIGN_PASSWORD -nokeys -clcerts -out "$work/cert.pem" 2>"$work/err"; then
    grep -qi 'mac verify\|invalid password' "$work/err" && fail "$pfx: wrong password (VANTREL_SIGN_PASSWORD)"
    fail "$pfx: not a PKCS#12 file openssl can read: $(grep -m1 . "$work/err")"
fi
openssl x509 -in "$work/cert.pem" -noout -checkend 0 >/dev/null ||
    fail "$pfx: the certificate expired on $(openssl x509 -in "$work/cert.pem" -noout -enddate | cut -d= -f2)"

# The password reaches osslsigncode through a file, never the command line;
# an empty one cannot be read from a file, and is no secret.
options=(-pkcs12 "$pfx" -h sha256)
if [ -n "$VANTREL_SIGN_PASSWORD" ]; then options+=(-readpass "$work/password"); else options+=(-pass ""); fi
[ -z "${VANTREL_SIGN_URL:-}" ] || options+=(-i "$VANTREL_SIGN_URL")
[ -z "${VANTREL_SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$VANTREL_SIGN_TIMESTAMP_URL")
(umask 077 && printf '%s' "$VANTREL_SIGN_PASSWORD" >"$work/password")
mkdir "$work/signed"
for name in "${shipped[@]}"; do
    case $name in
        uninstall.exe) description="Vantrel uninstaller" ;;
        uninstall-unattended.exe) description="Vantrel unattended uninstaller" ;;
        *) description="Vantrel uninstaller dialog probe" ;;
    esac
    osslsigncode sign "${options[@]}" -n "$description" -in "$bin/$name" -out "$work/signed/$name" \
        >"$work/err" 2>&1 || fail "$name: osslsigncode could not sign it: $(grep -m1 -v '^$' "$work/err")"
done
(cd "$work/signed" && sha256sum "${shipped[@]}" >SHA256SUMS)

# A new OUT appears in one step. In an existing one only this script's
# files are replaced, each in one step, the sums last; nothing else there
# is touched.
if [ ! -e "$out" ]; then
    mv "$work/signed" "$out"
else
    for name in "${shipped[@]}" SHA256SUMS; do mv -f "$work/signed/$name" "$out/$name"; done
fi
echo "signed ${shipped[*]} into $out"

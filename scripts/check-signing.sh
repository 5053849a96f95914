#!/usr/bin/env bash
# Usage: check-signing.sh BIN [RUNNER...]
# Signs the shipped files of BIN with scripts/sign.sh and a throwaway
# certificate authority made here, and fails unless every signed file
# verifies against it, a changed byte breaks the signature, taking the
# signature off gives back the built bytes, and a bad PFX, password or
# certificate fails with its one line and leaves the signed folder as it
# was. With RUNNER (the Wine command line), the signed runner and
# uninstall.exe also remove a staged installation.
set -euo pipefail
bin=$(cd "$1" && pwd)
shift
sign=$(cd "$(dirname "$0")" && pwd)/sign.sh
shipped=(uninstall.exe uninstall-unattended.exe dialog_probe.dll)
work=$(mktemp -d /tmp/vantrel-signing.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
status=0
fail() { echo "FAILED: $*" >&2; status=1; }

# The authority, a code-signing certificate it issued, and an expired one.
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Vantrel test CA" 2>/dev/null
printf 'keyUsage=digitalSignature\nextendedKeyUsage=codeSigning\n' >usage.ext
for cert in signer:2 expired:-1; do
    name=${cert%:*}
    openssl req -newkey rsa:2048 -nodes -keyout $name.key -out $name.csr -subj "/CN=Vantrel test $name" 2>/dev/null
    openssl x509 -req -in $name.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days ${cert#*:} \
        -extfile usage.ext -out $name.pem 2>/dev/null
    openssl pkcs12 -export -inkey $name.key -in $name.pem -certfile ca.pem -passout pass:right -out $name.pfx
done

VANTREL_SIGN_PFX=signer.pfx VANTREL_SIGN_PASSWORD=right "$sign" "$bin" signed
(cd signed && sha256sum --quiet -c SHA256SUMS) || fail "the signed copies' SHA256SUMS does not match them"
(cd "$bin" && sha256sum --quiet -c SHA256SUMS) || fail "signing changed the built files"
for name in "${shipped[@]}"; do
    osslsigncode verify -CAfile ca.pem -in signed/$name >verify.log 2>&1 ||
        { cat verify.log; fail "$name: its signature does not verify"; }
    cp signed/$name tampered
    printf 'X' | dd of=tampered bs=1 seek=1024 conv=notrunc status=none
    ! osslsigncode verify -CAfile ca.pem -in tampered >/dev/null 2>&1 || fail "$name: verifies with a changed byte"
    osslsigncode remove-signature -in signed/$name -out unsigned >/dev/null
    cmp unsigned "$bin/$name" || fail "$name: without its signature it is not the built file"
    rm -f unsigned
done

# Bad input: one line that says which, and the signed set left as it was.
before=$(ls -a . signed | md5sum)
check_refused() {
    local expected=$1 out=$2
    shift 2
    if env "$@" "$sign" "$bin" "$out" 2>refused.log; then
        fail "signed with $*"
    elif [ "$(cat refused.log)" != "$expected" ]; then
        fail "with $*: said '$(cat refused.log)', not '$expected'"
    fi
    rm refused.log
    [ "$(ls -a . signed | md5sum)" = "$before" ] || fail "with $*: the folders changed"
    (cd "$bin" && sha256sum --quiet -c SHA256SUMS) || fail "with $*: the built files changed"
    (cd signed && sha256sum --quiet -c SHA256SUMS) || fail "with $*: the signed files changed"
}
check_refused "sign: VANTREL_SIGN_PFX is not set: name the PKCS#12 file to sign with" signed -u VANTREL_SIGN_PFX
check_refused "sign: missing.pfx: no readable PKCS#12 file there (VANTREL_SIGN_PFX)" signed VANTREL_SIGN_PFX=missing.pfx
check_refused "sign: signer.pfx: wrong password (VANTREL_SIGN_PASSWORD)" signed VANTREL_SIGN_PFX=signer.pfx VANTREL_SIGN_PASSWORD=wrong
check_refused "sign: expired.pfx: the certificate expired on $(openssl x509 -in expired.pem -noout -enddate | cut -d= -f2)" \
    signed VANTREL_SIGN_PFX=expired.pfx VANTREL_SIGN_PASSWORD=right
check_refused "sign: $bin: that is the built folder; sign into another one" "$bin/" \
    VANTREL_SIGN_PFX=signer.pfx VANTREL_SIGN_PASSWORD=right

# A release folder that holds the built one is refused, and nothing in it
# is lost; signed into a folder that holds other files, those stay.
mkdir -p rel/bin rel2/signed
cp "$bin"/* rel/bin/
echo notes >rel/NOTES.txt
echo notes >rel2/signed/NOTES.txt
before_rel=$(ls -aR rel | md5sum)
if VANTREL_SIGN_PFX=signer.pfx VANTREL_SIGN_PASSWORD=right "$sign" rel/bin rel/ 2>refused.log; then
    fail "signed into the folder that holds the built one"
elif [ "$(cat refused.log)" != "sign: rel: it holds the built folder; sign into another one" ]; then
    fail "signing into the built folder's parent said '$(cat refused.log)'"
fi
[ "$(ls -aR rel | md5sum)" = "$before_rel" ] || fail "signing into the built folder's parent changed it"
VANTREL_SIGN_PFX=signer.pfx VANTREL_SIGN_PASSWORD=right "$sign" "$bin" rel2/signed// >/dev/null 2>refused.log ||
    fail "could not sign into a folder named with two trailing slashes: $(cat refused.log)"
[ "$(cat rel2/signed/NOTES.txt 2>/dev/null)" = notes ] || fail "signing removed a file it did not write"
(cd rel2/signed && sha256sum --quiet -c SHA256SUMS) || fail "signed into a folder of other files, the sums do not match"

# A PFX without a password, and a folder named with its trailing slash.
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -passout pass: -out open.pfx
VANTREL_SIGN_PFX=open.pfx VANTREL_SIGN_PASSWORD= "$sign" "$bin" again/ >/dev/null || fail "an empty password did not sign"
osslsigncode verify -CAfile ca.pem -in again/uninstall.exe >/dev/null 2>&1 || fail "signed with an empty password, it does not verify"

# The signed programs still do their job.
if [ $# -gt 0 ]; then
    mkdir installed
    cp signed/* installed/
    printf 'tracer' >installed/ws2_32.dll
    printf 'TRACE_ENABLED 1\r\n' >installed/vantrelconfig.txt
    run=0
    # The scratch folder is one everyone may change: started anyway, on purpose.
    "$@" installed/uninstall-unattended.exe --allow-replaceable-program >run.log || run=$?
    [ $run = 0 ] || { cat run.log; fail "the signed runner exited with $run, not 0"; }
    for gone in ws2_32.dll vantrelconfig.txt; do
        [ ! -e installed/$gone ] || fail "the signed uninstall.exe left $gone"
    done
fi
[ $status = 0 ] && echo "signed ${shipped[*]}: verified, tamper-evident, removable to the built bytes; bad input refused"
exit $status

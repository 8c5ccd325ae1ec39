#!/usr/bin/env bash
# scripts/sign (what `make sign` runs) on a copy of the built Setup.exe, with a self-signed
# code-signing certificate made here by OpenSSL; osslsigncode verify must accept the
# signature as SHA-256 Authenticode by that signer, signing again must replace it, and the
# built program itself is never touched.
#   sign_test.sh PROGRAM SOURCE_DIR
set -euo pipefail
program=$(readlink -f "$1") source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

before=$(sha256sum <"$program")
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Example Publisher" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
cp "$program" Setup.exe

bash "$source/scripts/sign" Setup.exe cert.pem key.pem || fail "signing failed"
osslsigncode verify -CAfile cert.pem -in Setup.exe >verify.txt 2>&1 || { cat verify.txt; fail "verify refused it"; }
grep -q "Message digest algorithm  : SHA256" verify.txt || fail "not a SHA-256 signature"
grep -q "Subject: /CN=Example Publisher" verify.txt || fail "signer is not the certificate given"
grep -q "Signature verification: ok" verify.txt || { cat verify.txt; fail "no good signature"; }

# Another certificate does not vouch for it.
openssl req -x509 -newkey rsa:2048 -nodes -keyout other-key.pem -out other.pem -days 2 -subj "/CN=Someone Else" 2>/dev/null
! osslsigncode verify -CAfile other.pem -in Setup.exe >/dev/null 2>&1 || fail "verified against a stranger's certificate"

# Signing again replaces the signature instead of adding one; a changed byte breaks it.
bash "$source/scripts/sign" Setup.exe cert.pem key.pem >/dev/null
osslsigncode verify -CAfile cert.pem -in Setup.exe >again.txt 2>&1 || fail "second signature does not verify"
[ "$(grep -c 'Signer #0' again.txt)" = "$(grep -c 'Signer #0' verify.txt)" ] || fail "signing again added a signature"
python3 - <<'PY'
data = bytearray(open("Setup.exe", "rb").read())
data[0x400] ^= 0xFF  # a byte of the code
open("tampered.exe", "wb").write(data)
PY
! osslsigncode verify -CAfile cert.pem -in tampered.exe >/dev/null 2>&1 || fail "a changed program still verifies"

# Wrong input is refused with a usable message, and the program is left alone.
cp Setup.exe kept.exe
set +e
bash "$source/scripts/sign" Setup.exe "" key.pem 2>err.txt; rc=$?
set -e
[ "$rc" = 2 ] && grep -q "usage: make sign CERT=" err.txt || fail "missing CERT: exit $rc, $(cat err.txt)"
! bash "$source/scripts/sign" Setup.exe missing.pem key.pem 2>err.txt || fail "signed with a missing certificate"
grep -q "cannot read the certificate" err.txt || fail "no message for a missing certificate"
! bash "$source/scripts/sign" Setup.exe cert.pem other-key.pem 2>err.txt || fail "signed with a key that does not match"
cmp -s Setup.exe kept.exe || fail "a failed signing changed the program"

[ "$(sha256sum <"$program")" = "$before" ] || fail "the built program was modified"
echo "ok: signed, verified, re-signed, refused wrong input; $program untouched"

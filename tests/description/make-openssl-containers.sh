#!/usr/bin/env bash
# Test fixture: makes description containers with OpenSSL (not with our own writer), so that
# the reader is shown to load what another RSAES-OAEP implementation produces.
#   make-openssl-containers.sh PRIVATE.hex OUTDIR DESCRIPTION...
# For each DESCRIPTION it writes OUTDIR/NAME.eif (pieces of 86 bytes) and OUTDIR/NAME-odd.eif
# (a first piece of 51 bytes, so that a UTF-16 character is split across two blocks, then
# 86-byte pieces), encrypted under the public half of PRIVATE.hex.
set -euo pipefail
key=$1 out=$2
shift 2
rm -rf "$out" && mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tr -d ' \t\r\n' <"$key" | xxd -r -p >"$work/private.der"
openssl pkey -inform DER -in "$work/private.der" -pubout -out "$work/public.pem"

encrypt_pieces() {  # container, then piece files in order
  local container=$1
  shift
  printf '10VnoitpyrcnE\0' >"$container"
  for piece in "$@"; do
    openssl pkeyutl -encrypt -pubin -inkey "$work/public.pem" -pkeyopt rsa_padding_mode:oaep \
      -pkeyopt rsa_oaep_md:sha1 -pkeyopt rsa_mgf1_md:sha1 -in "$piece" >>"$container"
  done
}

for description in "$@"; do
  name=$(basename "$description" .ini)
  rm -rf "$work/pieces" && mkdir "$work/pieces"
  split -b 86 -d -a 4 "$description" "$work/pieces/p."
  encrypt_pieces "$out/$name.eif" "$work"/pieces/p.*

  rm -rf "$work/pieces" && mkdir "$work/pieces"
  head -c 51 "$description" >"$work/pieces/first"
  tail -c +52 "$description" | split -b 86 -d -a 4 - "$work/pieces/p."
  encrypt_pieces "$out/$name-odd.eif" "$work/pieces/first" "$work"/pieces/p.*
done
echo "made $(ls "$out" | wc -l) containers with OpenSSL in $out"

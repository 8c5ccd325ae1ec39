#!/usr/bin/env bash
# eiftool under Wine, checked against OpenSSL on the Linux side.
#   eiftool-test.sh CASE BUILD_DIR SOURCE_DIR
# Cases: pack_decrypts_with_openssl, keygen_keys_work_with_openssl, unpack_round_trip,
# bad_input, demo_keys_match, lint_command.
set -euo pipefail
case_name=$1 build=$(cd "$2" && pwd) source=$(cd "$3" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

demo_private=$source/res/demo-private-key.DEMO-ONLY.hex
demo_public=$source/res/demo-public-key.DEMO-ONLY.hex
samples=("$source/tests/data/description/sample-ansi.ini" "$source/tests/data/description/sample-utf16.ini")
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs eiftool; its output goes to files (Wine's helpers must not inherit a pipe of ours).
# Sets rc, and leaves the output in out.txt and err.txt.
eiftool() {
  set +e
  "$build/wine-run" "$build/eiftool.exe" "$@" >out.txt 2>err.txt </dev/null
  rc=$?
  set -e
  cat out.txt err.txt
}

pem_of_private() { tr -d ' \t\r\n' <"$1" | xxd -r -p | openssl pkey -inform DER -out "$2"; }
pem_of_public() { tr -d ' \t\r\n' <"$1" | xxd -r -p | openssl pkey -pubin -inform DER -out "$2"; }

# Decrypts a container with OpenSSL: header off, then one pkeyutl per block of $3 bytes.
openssl_unpack() {  # container private.pem block-length > plaintext
  local container=$1 pem=$2 block=$3
  [ "$(head -c 14 "$container" | xxd -p)" = "3130566e6f6974707972636e4500" ] || fail "$container: no marker"
  rm -rf blocks && mkdir blocks
  tail -c +15 "$container" | split -b "$block" -d -a 4 - blocks/b.
  for b in blocks/b.*; do
    [ "$(stat -c %s "$b")" = "$block" ] || fail "$container: a block of $(stat -c %s "$b") bytes"
    openssl pkeyutl -decrypt -inkey "$pem" -pkeyopt rsa_padding_mode:oaep -pkeyopt rsa_oaep_md:sha1 \
      -pkeyopt rsa_mgf1_md:sha1 -in "$b"
  done
}

expect_failure() {  # expected-rc text-in-stderr -- eiftool arguments
  local want_rc=$1 want_text=$2
  shift 3
  eiftool "$@" >/dev/null
  [ "$rc" = "$want_rc" ] || fail "eiftool $*: exit $rc, wanted $want_rc ($(cat err.txt))"
  grep -qF -- "$want_text" err.txt || fail "eiftool $*: message lacks '$want_text': $(cat err.txt)"
  echo "ok: eiftool $* -> $rc: $(head -n 1 err.txt)"
}

case $case_name in
  pack_decrypts_with_openssl)
    pem_of_private "$demo_private" demo.pem
    for sample in "${samples[@]}"; do
      for piece in 86 33; do
        eiftool pack "$demo_public" "$sample" out.eif --piece "$piece"
        [ "$rc" = 0 ] || fail "pack --piece $piece exited $rc"
        want=$(( 14 + ( ($(stat -c %s "$sample") + piece - 1) / piece ) * 128 ))
        [ "$(stat -c %s out.eif)" = "$want" ] || fail "container of $(stat -c %s out.eif) bytes, wanted $want"
        openssl_unpack out.eif demo.pem 128 >plain.out
        cmp plain.out "$sample" || fail "OpenSSL does not get $sample back (pieces of $piece)"
      done
    done
    eiftool pack "$demo_public" "${samples[0]}" default.eif  # no --piece: pieces of M = 86 bytes
    [ "$rc" = 0 ] && [ "$(stat -c %s default.eif)" = $(( 14 + 6 * 128 )) ] || fail "default pieces are not 86 bytes"
    ;;

  keygen_keys_work_with_openssl)
    eiftool keygen k.hex p.hex
    [ "$rc" = 0 ] || fail "keygen exited $rc"
    pem_of_private k.hex k.pem
    openssl pkey -in k.pem -noout -text | grep -q 'Private-Key: (1024 bit' || fail "not a 1024-bit key"
    [ "$(tr -d '\n' <p.hex)" = "$(openssl pkey -in k.pem -pubout -outform DER | xxd -p | tr -d '\n')" ] \
      || fail "public key file is not the X.509 form of the private key's public half"
    # The private key is PKCS #8: OpenSSL's own PKCS #8 parser reads it.
    tr -d '\n' <k.hex | xxd -r -p | openssl pkcs8 -nocrypt -inform DER -out /dev/null || fail "not PKCS #8"
    # A container packed with the new public key opens with OpenSSL and the new private key ...
    eiftool pack p.hex "${samples[1]}" c.eif
    openssl_unpack c.eif k.pem 128 >plain.out && cmp plain.out "${samples[1]}" || fail "1024-bit round trip"
    # ... and one that OpenSSL packed opens with eiftool unpack.
    pem_of_public p.hex p.pem
    printf '10VnoitpyrcnE\0' >o.eif
    split -b 86 -d -a 4 "${samples[0]}" piece.
    for piece in piece.*; do
      openssl pkeyutl -encrypt -pubin -inkey p.pem -pkeyopt rsa_padding_mode:oaep -pkeyopt rsa_oaep_md:sha1 \
        -pkeyopt rsa_mgf1_md:sha1 -in "$piece" >>o.eif
    done
    eiftool unpack k.hex o.eif o.out
    [ "$rc" = 0 ] && cmp o.out "${samples[0]}" || fail "eiftool unpack of an OpenSSL container"
    # Another size changes the block length and the piece length, nothing else.
    eiftool keygen k2.hex p2.hex --bits 2048
    [ "$rc" = 0 ] || fail "keygen --bits 2048 exited $rc"
    pem_of_private k2.hex k2.pem
    eiftool pack p2.hex "${samples[1]}" c2.eif
    [ "$(stat -c %s c2.eif)" = $(( 14 + ( ($(stat -c %s "${samples[1]}") + 213) / 214 ) * 256 )) ] || fail "2048-bit pieces"
    openssl_unpack c2.eif k2.pem 256 >plain2.out && cmp plain2.out "${samples[1]}" || fail "2048-bit round trip"
    ;;

  unpack_round_trip)
    for sample in "${samples[@]}"; do
      eiftool pack "$demo_public" "$sample" c.eif --piece 50
      eiftool unpack "$demo_private" c.eif back.ini
      [ "$rc" = 0 ] || fail "unpack exited $rc"
      cmp back.ini "$sample" || fail "unpack does not give $sample back"
      grep -q "bytes from" out.txt || fail "unpack says nothing about what it did"
    done
    ;;

  lint_command)
    # The command around the checks (tests/tools/LintTest.cpp has the traps themselves):
    # findings one a line as FILE:LINE: message, and the exit codes 0, 1 and 2.
    printf '%s\n' '[Files to download]' '/a.exe -> Data\a.exe' '[Download Sites]' 'http://host' \
      '[User Info Filename]' 'u.txt' '[Program to run]' 'a.exe' '[End]' 'End' >traps.ini
    eiftool pack "$demo_public" traps.ini traps.eif
    eiftool lint traps.eif --key "$demo_private"
    [ "$rc" = 1 ] || fail "lint of a container with traps exited $rc"
    grep -q '^traps.eif: the container is 270 bytes' out.txt || fail "no finding about the container's size"
    grep -q '^traps.eif:2: the destination "Data\\a.exe" has a folder part' out.txt || fail "no folder-part finding"
    grep -q '^traps.eif:4: "//" starts a comment' out.txt || fail "no comment finding"
    [ "$(wc -l <out.txt)" = 3 ] || fail "lint printed more than its three findings"
    sed 's/@PORT@/18080/' "$source/demo/SetupInitial.ini" >demo.ini
    eiftool lint demo.ini
    [ "$rc" = 0 ] && [ ! -s out.txt ] || fail "lint of the demo description: exit $rc, $(cat out.txt)"
    eiftool pack "$demo_public" demo.ini demo.eif
    eiftool lint demo.eif
    [ "$rc" = 0 ] || fail "lint of the demo container with the compiled-in key exited $rc"
    eiftool keygen other.hex other-public.hex
    # Under a foreign key the first block either fails its OAEP check or makes the library
    # raise (a ciphertext above the other modulus), as the key's numbers fall: both name it.
    expect_failure 2 "block 1 of" -- lint demo.eif --key other.hex
    expect_failure 2 "cannot read missing.ini" -- lint missing.ini
    expect_failure 2 "expected 1 arguments" -- lint
    ;;

  bad_input)
    eiftool pack "$demo_public" "${samples[0]}" good.eif
    printf '[End]\nEnd\n' >plain.ini
    : >empty.ini
    echo 'not hexadecimal' >bad.hex
    python3 - <<'PY'
data = bytearray(open('good.eif', 'rb').read())
data[14 + 128 + 40] ^= 0x01
open('damaged.eif', 'wb').write(data)
open('short.eif', 'wb').write(open('good.eif', 'rb').read()[:-3])
PY
    cp "$demo_private" exists.hex
    expect_failure 2 "usage: eiftool" --
    expect_failure 2 "unknown command 'frob'" -- frob
    expect_failure 2 "expected 2 arguments" -- keygen only-one.hex
    expect_failure 2 "--bits takes a whole number" -- keygen a.hex b.hex --bits 100
    expect_failure 2 "--bits takes a whole number" -- keygen a.hex b.hex --bits many
    expect_failure 2 "unknown option --bogus" -- keygen a.hex b.hex --bogus
    expect_failure 1 "already exists" -- keygen exists.hex new.hex
    expect_failure 2 "--piece 87 is longer than the 86 bytes" -- pack "$demo_public" plain.ini x.eif --piece 87
    expect_failure 2 "--piece takes a whole number" -- pack "$demo_public" plain.ini x.eif --piece 0
    expect_failure 1 "public key cannot be read" -- pack "$demo_private" plain.ini x.eif
    expect_failure 1 "not a key file" -- pack bad.hex plain.ini x.eif
    expect_failure 1 "cannot read the key file" -- pack missing.hex plain.ini x.eif
    expect_failure 1 "cannot read missing.ini" -- pack "$demo_public" missing.ini x.eif
    expect_failure 1 "is empty" -- pack "$demo_public" empty.ini x.eif
    expect_failure 1 "not a container" -- unpack "$demo_private" plain.ini x.out
    expect_failure 1 "not a container" -- unpack "$demo_private" empty.ini x.out
    expect_failure 1 "block 2 of 6 does not decrypt" -- unpack "$demo_private" damaged.eif x.out
    expect_failure 1 "not a whole number of 128-byte blocks" -- unpack "$demo_private" short.eif x.out
    expect_failure 1 "private key cannot be read" -- unpack "$demo_public" good.eif x.out
    expect_failure 1 "cannot read missing.eif" -- unpack "$demo_private" missing.eif x.out
    [ ! -e x.eif ] && [ ! -e x.out ] && [ ! -e a.hex ] || fail "a failed command left an output file"
    ;;

  demo_keys_match)
    pem_of_private "$demo_private" demo.pem
    [ "$(tr -d ' \t\r\n' <"$demo_public")" = "$(openssl pkey -in demo.pem -pubout -outform DER | xxd -p | tr -d '\n')" ] \
      || fail "the demo public key is not the public half of the demo private key"
    openssl pkey -in demo.pem -noout -text | grep -q 'Private-Key: (1024 bit' || fail "the demo key is not 1024-bit"
    ;;

  *) fail "unknown case $case_name" ;;
esac
echo "passed: $case_name"

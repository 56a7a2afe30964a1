#!/usr/bin/env bash
# Sealed certificates checked from outside, as a new employer would get them: N pages of one
# batch PDF rendered at 300 dpi (pdftoppm), and each page again rotated by 3 degrees, blurred and
# saved as a JPEG of quality 70 (ImageMagick). Every file must verify with kavri-cli verify-scan
# (exit 0, "真实"). The first pages are also read with another decoder (zbarimg) and checked
# without kavri: the key id against the published key, the SM2 signature with openssl, and the
# payload's size (at most 213 bytes: QR version 10 or less at level M).
#
# Usage: check-scans.sh BIN_DIR N [WORK_DIR]
#   BIN_DIR holds kavri-cli and seal_pages; WORK_DIR (kept) defaults to a temporary folder.
set -euo pipefail

bin=$1
count=$2
work=${3:-}
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/desk"
reg="$work/desk/kavri_register.db"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
hex() { od -An -tx1 -v | tr -d ' \n'; }

"$bin/seal_pages" "$count" "$work/batch.pdf" "$work/desk"
"$bin/kavri-cli" register public-key --register "$reg" --name 北京星辰科技有限公司 > "$work/company.pem"

start=$(date +%s.%N)
pdftoppm -r 300 -png "$work/batch.pdf" "$work/page"
rendered=$(date +%s.%N)
for png in "$work"/page-*.png; do
    convert "$png" -background white -rotate 3 -blur 0x1 -quality 70 "${png%.png}-photo.jpg"
done
photographed=$(date +%s.%N)

checked=0
for file in "$work"/page-*.png "$work"/page-*-photo.jpg; do
    set +e
    "$bin/kavri-cli" verify-scan "$file" --register "$reg" > "$work/verdict.txt" 2>&1
    status=$?
    set -e
    checked=$((checked + 1))
    if [ $status -ne 0 ] || ! head -1 "$work/verdict.txt" | grep -q '^真实：签名有效，由本单位的密钥签署。'; then
        fail "$(basename "$file"): exit $status: $(head -3 "$work/verdict.txt" | tr '\r\n' '  ')"
    fi
done
verified=$(date +%s.%N)

# Without kavri, on the first three pages and their photos.
key_id=$(openssl pkey -pubin -in "$work/company.pem" -outform DER | openssl dgst -sha256 -binary | head -c 8 | hex)
others=0
for file in $(ls "$work"/page-*.png | head -3) $(ls "$work"/page-*-photo.jpg | head -3); do
    others=$((others + 1))
    zbarimg --nodbus -q --raw -Sbinary "$file" > "$work/code.bin" || true
    size=$(stat -c %s "$work/code.bin")
    if [ "$size" -lt 101 ] || [ "$size" -gt 213 ]; then
        fail "$(basename "$file"): zbarimg read $size bytes"
        continue
    fi
    [ "$(head -c 1 "$work/code.bin" | hex)" = a1 ] || fail "$(basename "$file"): not format a1"
    [ "$(tail -c +3 "$work/code.bin" | head -c 8 | hex)" = "$key_id" ] ||
        fail "$(basename "$file"): key id differs from the published key's"
    head -c -64 "$work/code.bin" > "$work/signed.bin"
    r=$(tail -c 64 "$work/code.bin" | head -c 32 | hex)
    s=$(tail -c 32 "$work/code.bin" | hex)
    printf 'asn1=SEQUENCE:sig\n[sig]\nr=INTEGER:0x%s\ns=INTEGER:0x%s\n' "$r" "$s" > "$work/sig.cnf"
    openssl asn1parse -genconf "$work/sig.cnf" -out "$work/sig.der" -noout
    if ! openssl pkeyutl -verify -rawin -digest sm3 -pubin -inkey "$work/company.pem" \
        -in "$work/signed.bin" -sigfile "$work/sig.der" -pkeyopt distid:1234567812345678 |
        grep -q 'Signature Verified Successfully'; then
        fail "$(basename "$file"): openssl does not verify the signature zbarimg read"
    fi
done

awk -v n="$count" -v c="$checked" -v o="$others" -v s="$start" -v r="$rendered" \
    -v p="$photographed" -v v="$verified" 'BEGIN {
    printf "%d pages: %d files through kavri-cli verify-scan, %d through zbarimg + openssl\n", n, c, o
    printf "pdftoppm 300 dpi %.2f s/page, convert %.2f s/page, verify-scan %.3f s/file (process included)\n",
           (r - s) / n, (p - r) / n, (v - p) / c }'
if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all scans verified"

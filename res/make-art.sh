#!/usr/bin/env bash
# Draws the program's own artwork with Debian's ImageMagick and DejaVu fonts:
#   res/banner.jpg  the 550 x 300 baseline JPEG banner of the progress window
#   res/Setup.ico   the program icon, 16, 32, 48 and 256 pixels
# Run it again after changing the drawing; both results are committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here}

# Debian's ImageMagick 6 installs its tools with an -im6 suffix and links the plain names.
im() { if command -v convert-im6.q16 >/dev/null; then convert-im6.q16 "$@"; else convert "$@"; fi; }
font_bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
for f in "$font_bold" "$font"; do
  [ -f "$f" ] || { echo "make-art: $f missing (apt-get install fonts-dejavu-core)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The banner: a dusk sky over a moor, a low moon, a quill, and the publisher's name.
im -size 550x300 gradient:'#1b2a4a-#4f7ca8' \
  -fill '#f3e6c4' -draw 'circle 470,64 470,38' \
  -fill '#2c4a3a' -draw 'path "M 0,230 C 120,190 230,215 330,200 C 420,188 500,205 550,195 L 550,300 L 0,300 Z"' \
  -fill '#1d3328' -draw 'path "M 0,260 C 140,235 260,262 400,245 C 470,238 520,246 550,240 L 550,300 L 0,300 Z"' \
  -fill '#f7f1e3' -draw 'path "M 48,118 C 62,80 90,52 128,36 C 112,64 92,92 64,114 Z"' \
  -stroke '#f7f1e3' -strokewidth 3 -draw 'line 64,114 40,138' -stroke none \
  -gravity north -font "$font_bold" -pointsize 36 -fill '#fdfaf2' -annotate +0+112 "Quillmoor's Projects" \
  -font "$font" -pointsize 18 -fill '#dbe6f2' -annotate +0+160 'Setup' \
  -strip -interlace none -sampling-factor 2x2 -quality 88 "$work/banner.jpg"
# The window decodes the banner with the OLE picture loader, which wants a baseline JPEG.
[ "$(identify -format '%w %h %[interlace]' "$work/banner.jpg")" = "550 300 None" ] \
  || { echo "make-art: banner is not a 550 x 300 baseline JPEG" >&2; exit 1; }
mv "$work/banner.jpg" "$out/banner.jpg"

# The icon: the quill on a rounded blue tile, drawn at 256 pixels and scaled down.
im -size 256x256 xc:none \
  -fill '#2a4f7e' -draw 'roundrectangle 8,8 248,248 44,44' \
  -fill '#f3e6c4' -draw 'circle 178,78 178,54' \
  -fill '#f7f1e3' -draw 'path "M 70,200 C 92,130 140,76 206,46 C 178,100 140,150 92,192 Z"' \
  -stroke '#f7f1e3' -strokewidth 10 -draw 'line 92,192 52,232' -stroke none \
  -depth 8 "$work/icon-256.png"
im "$work/icon-256.png" -depth 8 -define icon:auto-resize=256,48,32,16 "$out/Setup.ico"
echo "make-art: wrote $out/banner.jpg and $out/Setup.ico"

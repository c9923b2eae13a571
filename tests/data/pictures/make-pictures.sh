#!/bin/sh
# Makes the source pictures of the format tests (kept in this folder; run again to refresh them).
# Needs ImageMagick 6, heif-enc (libheif-examples: it keeps the ICC profile and alpha of a PNG),
# python3, and icc-profiles-free for the Adobe RGB profile.
set -eu
cd "$(dirname "$0")"
ADOBE=/usr/share/color/icc/compatibleWithAdobeRGB1998.icc
T=$(mktemp -d); trap 'rm -rf "$T"' EXIT
python3 - "$T" <<'PY'
import struct, sys
t = sys.argv[1]
def ppm(name, w, h, px, maxval=255, channels=3):
    kind = {1: b'P5', 3: b'P6'}[channels]
    fmt = '>H' if maxval > 255 else 'B'
    with open(f'{t}/{name}', 'wb') as f:
        f.write(kind + f'\n{w} {h}\n{maxval}\n'.encode())
        for y in range(h):
            for x in range(w):
                for v in px(x, y): f.write(struct.pack(fmt, v))
quads = [(180, 60, 60), (60, 160, 60), (60, 60, 170), (200, 190, 60)]
ppm('card.ppm', 64, 32, lambda x, y: quads[(x >= 32) + 2 * (y >= 16)])
# Stripes over the width: opaque red, half-transparent blue, transparent green.
with open(f'{t}/alpha.pam', 'wb') as f:
    f.write(b'P7\nWIDTH 48\nHEIGHT 16\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n')
    for y in range(16):
        for x in range(48):
            f.write(bytes([(200, 30, 30, 255), (0, 0, 255, 128), (0, 255, 0, 0)][x // 16]))
# 16-bit grey: 51500 rounds to 200 (cut to 8 bits it would be 201), 13050 to 51 (not 50).
ppm('grey16.pgm', 64, 32, lambda x, y: (51500 if x < 32 else 13050,), 65535, 1)
PY
for ext in jpg png webp tif; do
  convert "$T/card.ppm" -profile "$ADOBE" -quality 95 -define png:color-type=2 -define png:exclude-chunks=date,time "card-adobe.$ext"
done
convert "$T/card.ppm" -orient RightTop orient6.tif
for ext in png webp tif; do
  convert "$T/alpha.pam" -quality 95 -define png:color-type=6 "alpha.$ext"
done
convert "$T/alpha.pam" -colorspace Gray -type GrayscaleAlpha alpha-grey.png
convert "$T/grey16.pgm" -depth 16 grey16.png
convert "$T/grey16.pgm" -depth 16 grey16.tif
# (Debian 12's AV1 encoder fails on alpha planes: no alpha.avif.)
heif-enc -q 95 card-adobe.png -o card-adobe.heic >/dev/null
heif-enc -q 95 card-adobe.png -o card-adobe.avif >/dev/null
heif-enc -q 95 alpha.png -o alpha.heic >/dev/null
# Colours by numbers: the AVIF's colour box set to Display P3 primaries and the sRGB curve.
convert -size 64x32 "xc:rgb(60,160,60)" -define png:color-type=2 "$T/green.png"
heif-enc -q 95 "$T/green.png" -o "$T/green.avif" >/dev/null
python3 - "$T" <<'PY'
import struct, sys
b = bytearray(open(sys.argv[1] + '/green.avif', 'rb').read())
at = b.find(b'colrnclx') + 8
b[at:at + 4] = struct.pack('>HH', 12, 13)
open('green-p3.avif', 'wb').write(b)
PY
# EXIF orientation 6 in a PNG (an eXIf chunk) and a WebP (an EXIF chunk in an extended file).
convert "$T/card.ppm" "$T/card.png"
convert "$T/card.ppm" -define webp:lossless=true "$T/card.webp"
python3 - "$T" <<'PY'
import struct, sys, zlib
t = sys.argv[1]
exif = b'MM\0*' + struct.pack('>IH', 8, 1) + struct.pack('>HHIHH', 0x112, 3, 1, 6, 0) + b'\0' * 4
png = open(f'{t}/card.png', 'rb').read()
chunk = struct.pack('>I', len(exif)) + b'eXIf' + exif + struct.pack('>I', zlib.crc32(b'eXIf' + exif))
open('orient6.png', 'wb').write(png[:33] + chunk + png[33:])
def riff(tag, data): return tag + struct.pack('<I', len(data)) + data + b'\0' * (len(data) % 2)
webp = open(f'{t}/card.webp', 'rb').read()
vp8x = riff(b'VP8X', bytes([0x08, 0, 0, 0]) + (63).to_bytes(3, 'little') + (31).to_bytes(3, 'little'))
body = b'WEBP' + vp8x + webp[12:] + riff(b'EXIF', exif)
open('orient6.webp', 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
PY
ls -l

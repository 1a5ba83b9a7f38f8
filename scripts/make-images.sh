#!/usr/bin/env bash
# Regenerates the program's images in resources/:
#   tavrel.ico  one 32x32 image, 8 bits per pixel with a 256-colour palette and a transparency mask
#   tavrel.png  the same icon for Linux desktops (RGBA)
#   tavrel-128.png  the icon at 128x128 for software centres, which list no application without a 64x64 or larger one
#   logo.bmp    the 175x129 main window logo, uncompressed 24 bits per pixel
# ImageMagick only draws; the files are written by the small Python program below, because ImageMagick
# picks its own depths and compression for BMP and ICO and stamps dates into PNGs.
set -euo pipefail
cd "$(dirname "$0")/.."

out=resources
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

navy='#17365d'
amber='#f2a007'
white='#ffffff'
font_bold=DejaVu-Sans-Bold
font=DejaVu-Sans

# The mark: a chip with three pins a side and a clock face on the die. Drawn at 8 times the icon's size and
# box-filtered down; the coordinates are multiples of 8 (one icon pixel), so edges and pins stay sharp at 32 px.
chip() {
    convert -size 256x256 xc:none \
        -fill "$amber" -stroke none \
        -draw "roundrectangle 64,64 191,191 12,12" \
        -draw "rectangle 80,32 95,63 rectangle 120,32 135,63 rectangle 160,32 175,63" \
        -draw "rectangle 80,192 95,223 rectangle 120,192 135,223 rectangle 160,192 175,223" \
        -draw "rectangle 32,80 63,95 rectangle 32,120 63,135 rectangle 32,160 63,175" \
        -draw "rectangle 192,80 223,95 rectangle 192,120 223,135 rectangle 192,160 223,175" \
        -fill "$white" -draw "circle 128,128 128,86" \
        -fill "$navy" -draw "rectangle 120,96 135,135 rectangle 120,120 159,135" \
        "$1"
}

chip "$work/chip.png"

# Icon: the mark on a rounded navy tile.
convert -size 256x256 xc:none -fill "$navy" -draw "roundrectangle 0,0 255,255 44,44" \
    "$work/chip.png" -composite \
    -filter Box -resize 32x32 "$work/icon-rgba.png"
convert -size 256x256 xc:none -fill "$navy" -draw "roundrectangle 0,0 255,255 44,44" \
    "$work/chip.png" -composite \
    -filter Box -resize 128x128 -depth 8 "RGBA:$work/icon-128.rgba"
# Smooth edges for the PNG; a hard mask and at most 255 colours (index 0 stays for the masked pixels) for the ICO.
convert "$work/icon-rgba.png" -depth 8 "RGBA:$work/icon.rgba"
convert "$work/icon-rgba.png" -channel A -threshold 50% +channel +dither -colors 255 \
    -depth 8 "RGBA:$work/icon-pal.rgba"

# Logo: the mark over the name on a dark gradient. The content keeps clear of the right and bottom edges,
# where a picture box with a border may cut the bitmap off.
convert -size 175x129 gradient:'#1f4f86-#0b1a2e' \
    \( "$work/chip.png" -filter Box -resize 64x64 \) -geometry +52+4 -composite \
    -font "$font_bold" -pointsize 26 -fill "$white" -gravity north -annotate -4+66 'Tavrel' \
    -font "$font" -pointsize 10 -fill '#9cc3ec' -annotate -4+96 'memory & core clocks' \
    -alpha off -depth 8 "RGB:$work/logo.rgb"

python3 - "$work" "$out" <<'PYTHON'
import struct, sys, zlib
from pathlib import Path

work, out = Path(sys.argv[1]), Path(sys.argv[2])
W = H = 32

def write_png(path, width, height, rgba):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + rgba[y * width * 4:(y + 1) * width * 4] for y in range(height))
    path.write_bytes(b"\x89PNG\r\n\x1a\n"
                     + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
                     + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))

def write_ico(path, rgba):
    pixels = [rgba[i:i + 4] for i in range(0, len(rgba), 4)]
    palette = [b"\0\0\0"]  # index 0: the colour under masked pixels
    index = {}
    for p in pixels:
        if p[3] and p[:3] not in index:
            index[p[:3]] = len(palette)
            palette.append(p[:3])
    if len(palette) > 256:
        sys.exit(f"icon has {len(palette) - 1} colours, at most 255 fit")
    palette += [b"\0\0\0"] * (256 - len(palette))
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(H)):  # bottom-up rows
        row = pixels[y * W:(y + 1) * W]
        xor += bytes(index[p[:3]] if p[3] else 0 for p in row)
        bits = 0
        for x, p in enumerate(row):
            if not p[3]:
                bits |= 1 << (W - 1 - x)
        mask += bits.to_bytes(W // 8, "big")  # 32 bits a row: already a multiple of 4 bytes
    header = struct.pack("<IiiHHIIiiII", 40, W, 2 * H, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    image = header + b"".join(bytes((b, g, r, 0)) for r, g, b in palette) + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 1, 8, len(image), 6 + 16)
    path.write_bytes(directory + image)

def write_bmp24(path, width, height, rgb):
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for y in reversed(range(height)):
        row = rgb[y * width * 3:(y + 1) * width * 3]
        body += b"".join(bytes((row[i + 2], row[i + 1], row[i])) for i in range(0, len(row), 3))
        body += b"\0" * (stride - width * 3)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 3780, 3780, 0, 0)
    path.write_bytes(struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info)) + info + body)

write_png(out / "tavrel.png", W, H, (work / "icon.rgba").read_bytes())
write_png(out / "tavrel-128.png", 128, 128, (work / "icon-128.rgba").read_bytes())
write_ico(out / "tavrel.ico", (work / "icon-pal.rgba").read_bytes())
write_bmp24(out / "logo.bmp", 175, 129, (work / "logo.rgb").read_bytes())
PYTHON

identify "$out/tavrel.ico" "$out/tavrel.png" "$out/tavrel-128.png" "$out/logo.bmp"

#!/usr/bin/env bash
# Makes the application icon's PNG sizes, the window's raw pictures and the
# Windows icon from app/icons/lum.svg. The results are committed, so a build needs neither the
# tools nor this script; run it after changing the SVG.
#   tools/make-icons.sh      (needs rsvg-convert from librsvg2-bin, and python3)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/app/icons"
sizes=(16 32 48 64 128 256)

for size in "${sizes[@]}"; do
  rsvg-convert --width "$size" --height "$size" "$dir/lum.svg" --output "$dir/lum-$size.png"
done

# The Windows icon holds the 16, 32, 48 and 256 pixel images, each stored as
# PNG (which Windows reads in icon files since Vista).
python3 - "$dir/lum.ico" "$dir"/lum-{16,32,48,256}.png <<'PYTHON'
import struct, sys
out, pngs = sys.argv[1], sys.argv[2:]
images = [open(p, 'rb').read() for p in pngs]
header = struct.pack('<HHH', 0, 1, len(images))
offset = len(header) + 16 * len(images)
entries = b''
for data in images:
    width, height = struct.unpack('>II', data[16:24])
    entries += struct.pack('<BBBBHHII', width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(out, 'wb') as f:
    f.write(header + entries + b''.join(images))
PYTHON
# The window's own icon, in the sizes a title bar and a task switcher draw,
# as raw pixels (RGBA, 8 bits each, rows top to bottom): the program then
# needs no image reader for it. rsvg-convert writes 8-bit RGBA PNGs without
# interlacing, which is all this decoder reads.
python3 - "$dir" 16 32 48 64 <<'PYTHON'
import struct, sys, zlib
folder, sizes = sys.argv[1], sys.argv[2:]
def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)
for size in sizes:
    data = open(f"{folder}/lum-{size}.png", 'rb').read()
    pos, idat, header = 8, b'', None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', chunk)
        elif kind == b'IDAT':
            idat += chunk
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        sys.exit(f"lum-{size}.png is not an 8-bit RGBA PNG without interlacing")
    raw, stride, rows, previous = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - 4] if x >= 4 else 0
            up = previous[x]
            corner = previous[x - 4] if x >= 4 else 0
            line[x] = (line[x] + [0, left, up, (left + up) // 2, paeth(left, up, corner)][kind]) & 0xFF
        rows.append(bytes(line))
        previous = line
    open(f"{folder}/lum-{size}.rgba", 'wb').write(b''.join(rows))
PYTHON
echo "Made $(cd "$dir" && ls lum-*.png lum-*.rgba lum.ico | tr '\n' ' ')"

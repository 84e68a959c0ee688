#!/usr/bin/env bash
# Makes the application icon's PNG sizes and the Windows icon from
# app/icons/lum.svg. The results are committed, so a build needs neither the
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
echo "Made $(cd "$dir" && ls lum-*.png lum.ico | tr '\n' ' ')"

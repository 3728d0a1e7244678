#!/usr/bin/env bash
# The examples' pictures converted once with each picture control, each
# package drawn on its own preview sheet, all sheets in one folder, so that a
# person can hold the controls against one another.
#
#   bash scripts/preview-controls.sh [OUT_DIR] [PELKORA]
#
# OUT_DIR defaults to build/preview-controls; PELKORA to the release build's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/preview-controls}
pelkora=${2:-$root/build/release/bin/pelkora}
if [[ ! -x $pelkora ]]; then
    echo "no program at $pelkora: build the 'pelkora' and 'pelkora-preview' targets first" >&2
    exit 2
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)

# One name a sheet, and the controls it is made with; every sheet also has
# --fit so that the photo-sized pictures show on the device's screen.
controls=(
    "plain|"
    "fit|--fit 128x64"
    "fill|--fit 128x64 --fill"
    "grey-luma|--fit 128x64 --grey luma"
    "levels-auto|--fit 128x64 --levels auto"
    "gamma-0.6|--fit 128x64 --gamma 0.6"
    "gamma-1.8|--fit 128x64 --gamma 1.8"
    "contrast-0.6|--fit 128x64 --contrast 0.6"
    "contrast-1.6|--fit 128x64 --contrast 1.6"
    "invert|--fit 128x64 --invert"
    "dither-fs|--fit 128x64 --dither fs"
    "dither-atkinson|--fit 128x64 --dither atkinson"
    "dither-ordered|--fit 128x64 --dither ordered"
    "background-black|--fit 128x64 --background black"
    "luma-levels-ordered|--fit 128x64 --grey luma --levels auto --dither ordered"
)

pictures=()
for picture in "$root"/examples/*; do
    case $picture in
    *.bmp | *.gif | *.png | *.jpg | *.jpeg) pictures+=("$picture") ;;
    esac
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The examples all fit the screen already: one wide picture beside them
# shows what --fit, --fill and --background do (colour bars over a ramp).
python3 - "$work/wide-card.bmp" <<'PY'
import struct, sys
w, h = 320, 120
bars = [(255, 255, 255), (255, 255, 0), (0, 255, 255), (0, 255, 0), (255, 0, 255), (255, 0, 0), (0, 0, 255), (48, 96, 192)]
rows = []
for y in range(h):
    row = bytearray()
    for x in range(w):
        r, g, b = bars[x * len(bars) // w] if y < h // 2 else (x * 255 // (w - 1),) * 3
        row += bytes((b, g, r))
    rows.append(bytes(row))
pixels = b"".join(reversed(rows))
header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
header += struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(header + pixels)
PY
pictures+=("$work/wide-card.bmp")
for entry in "${controls[@]}"; do
    name=${entry%%|*}
    read -r -a flags <<<"${entry#*|}"
    rm -rf "$work/adv"
    (cd "$work" && "$pelkora" --quiet "${flags[@]}" --add "${pictures[@]}")
    (cd "$work" && "$pelkora" --preview adv --to "$out/$name.png")
    echo "$out/$name.png: ${entry#*|}"
done

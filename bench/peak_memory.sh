#!/usr/bin/env bash
# Peak memory (maximum resident set) of the headless batch of 120 BMP
# pictures of 320x240 followed by a 100-frame 320x240 GIF, and of a
# 300-frame and a 1000-frame 320x240 GIF added alone, each beside twice the size of its
# decoded frame rectangles (frames x 320 x 240 x 4 bytes): the mark a run
# should stay under.
# Usage: bench/peak_memory.sh [PELKORA_BINARY]   (needs imagemagick and /usr/bin/time)
set -euo pipefail
# shellcheck source=bench/batch_inputs.sh
source "$(dirname "$0")/batch_inputs.sh"
pelkora=$(realpath "${1:-build/cc/bin/pelkora}")
magick_convert=/usr/bin/convert
[ -x "$magick_convert" ] && [ -x /usr/bin/time ] || { echo "needs imagemagick and /usr/bin/time"; exit 2; }

root=$(mktemp -d /dev/shm/pelkora-memory.XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/src" "$root/frames" "$root/work"

make_batch_pictures "$magick_convert" "$root/src"
# Frames that each change a different part of the picture, so that no two
# are alike and the GIF cannot shrink them to nothing.
for i in $(seq -w 0 999); do
  "$magick_convert" -size 320x240 "gradient:#$(printf '%02x' $((10#$i % 256)))0000-#0000ff" \
    -fill white -draw "rectangle $((10#$i % 300)),$((10#$i % 200)) $((10#$i % 300 + 20)),$((10#$i % 200 + 40))" \
    "$root/frames/f$i.png"
done
"$magick_convert" -delay 10 $(ls "$root"/frames/f*.png | head -100) "$root/anim100.gif"
"$magick_convert" -delay 10 $(ls "$root"/frames/f*.png | head -300) "$root/anim300.gif"
"$magick_convert" -delay 10 "$root"/frames/f*.png "$root/anim1000.gif"

# The largest resident set of one run, in kilobytes.
peak_kb() {
  (cd "$root/work" && /usr/bin/time -f '%M' -o "$root/rss" "$@" >/dev/null 2>&1) || true
  tail -n 1 "$root/rss"
}
report() {
  local name=$1 kb=$2 frames=$3
  local mark_kb=$((2 * frames * 320 * 240 * 4 / 1024))
  awk -v n="$name" -v kb="$kb" -v mark="$mark_kb" -v f="$frames" \
    'BEGIN { printf "%-34s %7.1f MB  (2x %d frame rectangles: %6.1f MB, %.2f of it)\n", n, kb / 1024, f, mark / 1024, kb / mark }'
}

batch=$(peak_kb "$pelkora" --quiet --batch "$root/src")
add100=$(peak_kb "$pelkora" --quiet --add "$root/anim100.gif")
add300=$(peak_kb "$pelkora" --quiet --add "$root/anim300.gif")
add1000=$(peak_kb "$pelkora" --quiet --add "$root/anim1000.gif")
echo "files written: $(ls "$root/work/adv" | wc -l)"
awk -v a="$batch" -v b="$add100" 'BEGIN { printf "--batch of the 120 BMPs alone:     %7.1f MB\n--add of the 100-frame GIF alone:  %7.1f MB\n", a / 1024, b / 1024 }'
report "headless batch (the larger)" "$((batch > add100 ? batch : add100))" 100
report "--add of a 300-frame GIF" "$add300" 300
report "--add of a 1000-frame GIF" "$add1000" 1000

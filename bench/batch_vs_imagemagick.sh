#!/usr/bin/env bash
# The headless batch beside ImageMagick doing the same decode and grey
# conversion: 120 BMP pictures of 320x240 and one 100-frame 320x240 GIF, on
# tmpfs (file creation after deletions is slow on this kind of disk for any
# program). Prints the best of seven runs of each (ROUNDS sets it) and the ratio.
# Usage: bench/batch_vs_imagemagick.sh [PELKORA_BINARY]   (needs imagemagick)
set -euo pipefail
# shellcheck source=bench/batch_inputs.sh
source "$(dirname "$0")/batch_inputs.sh"
pelkora=$(realpath "${1:-build/release/bin/pelkora}")
magick_convert=/usr/bin/convert
magick_mogrify=/usr/bin/mogrify
[ -x "$magick_convert" ] && [ -x "$magick_mogrify" ] || { echo "needs imagemagick (apt-get install imagemagick)"; exit 2; }

root=$(mktemp -d /dev/shm/pelkora-bench.XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/src" "$root/frames" "$root/work" "$root/magick"

# Inputs, made once: gradients that differ from picture to picture.
make_batch_pictures "$magick_convert" "$root/src"
for i in $(seq -w 0 99); do
  "$magick_convert" -size 320x240 "gradient:#$(printf '%02x' $((10#$i * 2)))0000-#0000ff" \
    -fill white -draw "rectangle $((10#$i * 3)),20 $((10#$i * 3 + 20)),60" "$root/frames/f$i.png"
done
"$magick_convert" -delay 10 "$root"/frames/f*.png "$root/anim.gif"

now() { date +%s%N; }
# Milliseconds one run of the command takes.
took_ms() {
  local start end
  start=$(now)
  "$@" >/dev/null 2>&1
  end=$(now)
  echo $(((end - start) / 1000000))
}

pelkora_run() {
  (cd "$root/work" && "$pelkora" --quiet --batch "$root/src" && "$pelkora" --quiet --add "$root/anim.gif")
}
magick_run() {
  rm -rf "$root/magick" && mkdir -p "$root/magick"
  "$magick_mogrify" -path "$root/magick" -format gray -colorspace gray -depth 4 "$root"/src/*.bmp
  "$magick_convert" "$root/anim.gif" -coalesce -colorspace gray -depth 4 "$root/magick/anim-%02d.gray"
}

# The two take turns, so that both meet the same state of a shared machine;
# the best of each is compared.
rounds=${ROUNDS:-7}
ours=
theirs=
for _ in $(seq "$rounds"); do
  a=$(took_ms pelkora_run)
  b=$(took_ms magick_run)
  if [ -z "$ours" ] || [ "$a" -lt "$ours" ]; then ours=$a; fi
  if [ -z "$theirs" ] || [ "$b" -lt "$theirs" ]; then theirs=$b; fi
done
echo "pelkora:     ${ours} ms ($(ls "$root/work/adv" | wc -l) files)"
echo "imagemagick: ${theirs} ms ($(ls "$root/magick" | wc -l) files)"
awk -v a="$theirs" -v b="$ours" 'BEGIN { if (b > 0) printf "pelkora is %.1fx faster\n", a / b }'

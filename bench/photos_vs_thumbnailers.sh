#!/usr/bin/env bash
# Camera photos to the small screen: 30 photo-like JPEGs of 4000x3000 added
# with --fit 128x64, beside ImageMagick's thumbnail path with its JPEG size
# hint and vipsthumbnail on the same files in the same run. Prints the best
# of three runs of each (ROUNDS sets it), the ratio to the faster of the
# two, and pelkora's peak memory (maximum resident set) for the run.
# The photos are made once and kept in PHOTOS (default /dev/shm/pelkora-photos).
# Usage: bench/photos_vs_thumbnailers.sh [PELKORA_BINARY]
# Installs imagemagick and libvips-tools where they are missing (as root,
# never in CI: they are the benchmark's, not the build's).
set -euo pipefail
pelkora=$(realpath "${1:-build/release/bin/pelkora}")
photos=${PHOTOS:-/dev/shm/pelkora-photos}
count=30

need() {
  command -v "$1" >/dev/null 2>&1 && return
  if [ -n "${CI:-}" ] || [ "$(id -u)" != 0 ]; then
    echo "needs $1 (apt-get install $2)"
    exit 2
  fi
  apt-get install -y "$2" >/dev/null
}
need /usr/bin/mogrify imagemagick
need vipsthumbnail libvips-tools
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time"; exit 2; }

# Smooth fractal colour enlarged to camera size with sensor-like noise on
# top: what a photo's entropy coding costs, and no two alike.
mkdir -p "$photos"
for i in $(seq -w 1 "$count"); do
  [ -s "$photos/photo$i.jpg" ] && continue
  MAGICK_THREAD_LIMIT=1 /usr/bin/convert -seed "$((10#$i))" -size 500x375 plasma:fractal -blur 0x2 -resize '4000x3000!' \
    -attenuate 0.25 +noise Gaussian -quality 90 "$photos/photo$i.jpg"
done

root=$(mktemp -d /dev/shm/pelkora-thumbs.XXXXXX)
trap 'rm -rf "$root"' EXIT

# One run of a command, its times kept in $root/took.
timed() { /usr/bin/time -f '%e %U %S' -o "$root/took" "$@" >/dev/null 2>&1; }
# "elapsed_ms cpu_ms" of the last run: on a shared machine the processor
# time (user and system, every thread) tells the work from the waiting.
took() { awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' "$root/took"; }

pelkora_run() {
  rm -rf "$root/work" && mkdir -p "$root/work"
  (cd "$root/work" && timed "$pelkora" --quiet --add --fit 128x64 "$photos"/photo*.jpg)
}
magick_run() {
  rm -rf "$root/magick" && mkdir -p "$root/magick"
  timed /usr/bin/mogrify -path "$root/magick" -format png -define jpeg:size=256x128 -thumbnail 128x64 \
    -colorspace gray -depth 4 "$photos"/photo*.jpg
}
vips_run() {
  rm -rf "$root/vips" && mkdir -p "$root/vips"
  timed vipsthumbnail -s 128x64 -o "$root/vips/%s.png" "$photos"/photo*.jpg
}

# Taking turns, so that all three meet the same state of a shared machine.
rounds=${ROUNDS:-3}
declare -A best cpu
for _ in $(seq "$rounds"); do
  for tool in pelkora magick vips; do
    "${tool}_run"
    read -r ms cpu_ms < <(took)
    if [ -z "${best[$tool]:-}" ] || [ "$ms" -lt "${best[$tool]}" ]; then best[$tool]=$ms; fi
    if [ -z "${cpu[$tool]:-}" ] || [ "$cpu_ms" -lt "${cpu[$tool]}" ]; then cpu[$tool]=$cpu_ms; fi
  done
done
(cd "$root/work" && rm -rf adv && /usr/bin/time -f '%M' -o "$root/rss" \
  "$pelkora" --quiet --add --fit 128x64 "$photos"/photo*.jpg >/dev/null 2>&1)
peak_kb=$(tail -n 1 "$root/rss")

echo "$count photos of 4000x3000 to 128x64, best of $rounds on $(nproc) cores (load now: $(cut -d' ' -f1 /proc/loadavg)):"
echo "pelkora --add --fit:       ${best[pelkora]} ms, processor ${cpu[pelkora]} ms ($(ls "$root/work/adv" | grep -c '\.dob$') DOB files)"
echo "mogrify -thumbnail (hint): ${best[magick]} ms, processor ${cpu[magick]} ms ($(ls "$root/magick" | wc -l) files)"
echo "vipsthumbnail:             ${best[vips]} ms, processor ${cpu[vips]} ms ($(ls "$root/vips" | wc -l) files)"
faster=$((best[magick] < best[vips] ? best[magick] : best[vips]))
awk -v a="$faster" -v b="${best[pelkora]}" -v kb="$peak_kb" 'BEGIN {
  if (b > 0) printf "pelkora is %.2fx the speed of the faster of the two (goal: 1.5x)\n", a / b
  printf "pelkora peak memory: %.1f MB (goal: under 100 MB)\n", kb / 1024 }'

#!/usr/bin/env bash
# The dialog's start-up conversion of 300 small BMP pictures (64x48) beside
# the headless --batch of the same folder. The dialog runs off screen
# (QT_QPA_PLATFORM=offscreen); its time is taken from the start until the
# playlist names all 300 pictures, when the dialog is about to show, and
# the dialog is then closed. Goal: within twice the headless time plus one
# second. Prints the best of three runs of each.
# Usage: bench/dialog_startup.sh [PELKORA_BINARY]   (needs imagemagick)
set -euo pipefail
pelkora=$(realpath "${1:-build/cc/bin/pelkora}")
magick_convert=/usr/bin/convert
[ -x "$magick_convert" ] || { echo "needs imagemagick (apt-get install imagemagick)"; exit 2; }
count=300

root=$(mktemp -d /dev/shm/pelkora-startup.XXXXXX)
dialog_pid=
cleanup() {
  if [ -n "$dialog_pid" ] && kill -0 "$dialog_pid" 2>/dev/null; then
    kill "$dialog_pid" 2>/dev/null || true
    wait "$dialog_pid" 2>/dev/null || true
  fi
  rm -rf "$root"
}
trap cleanup EXIT
mkdir -p "$root/src" "$root/work"

for i in $(seq -w 0 $((count - 1))); do
  "$magick_convert" -size 64x48 "gradient:#$(printf '%02x' $((10#$i % 256)))2040-#f080$(printf '%02x' $((255 - 10#$i % 256)))" \
    -type TrueColor "BMP3:$root/src/p$i.bmp"
done

now() { date +%s%N; }
entries() {
  local n=0
  [ -f "$root/work/adv/advertising.index" ] && n=$(grep -c ',' "$root/work/adv/advertising.index" || true)
  echo "${n:-0}"
}

headless_ms() {
  local start end
  start=$(now)
  (cd "$root/work" && "$pelkora" --quiet --batch "$root/src" >/dev/null 2>&1)
  end=$(now)
  [ "$(entries)" -eq "$count" ] || { echo "the batch did not convert the $count pictures" >&2; exit 1; }
  echo $(((end - start) / 1000000))
}

# Starts the dialog, waits (at most 120 s) for the last entry, closes it.
dialog_ms() {
  rm -rf "$root/work/adv"
  local start end
  start=$(now)
  (cd "$root/work" && exec env QT_QPA_PLATFORM=offscreen "$pelkora" "$root/src" >/dev/null 2>&1) &
  dialog_pid=$!
  local deadline=$((start + 120000000000))
  while [ "$(entries)" -lt "$count" ]; do
    if [ "$(now)" -gt "$deadline" ] || ! kill -0 "$dialog_pid" 2>/dev/null; then
      echo "the dialog did not convert the $count pictures" >&2
      exit 1
    fi
    sleep 0.01
  done
  end=$(now)
  kill "$dialog_pid" 2>/dev/null || true
  wait "$dialog_pid" 2>/dev/null || true
  dialog_pid=
  echo $(((end - start) / 1000000))
}

best_of_three() {
  local best=
  for _ in 1 2 3; do
    local took
    took=$("$@")
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  echo "$best"
}

headless=$(best_of_three headless_ms)
dialog=$(best_of_three dialog_ms)
echo "headless --batch of $count BMP 64x48: ${headless} ms"
echo "dialog start-up of the same folder:   ${dialog} ms"
awk -v h="$headless" -v d="$dialog" \
  'BEGIN { goal = 2 * h + 1000; printf "goal (2x headless + 1 s): %d ms: %s\n", goal, d <= goal ? "met" : "missed" }'

#!/usr/bin/env bash
# The headless batch of the Windows build under wine beside the Linux build
# on the same machine: the 120 BMP pictures of 320x240 of the other batch
# benchmarks, on tmpfs. Prints the best of five runs of each (ROUNDS sets
# it) and the ratio; the packages must be the same bytes.
# Usage: bench/batch_under_wine.sh LINUX_pelkora WINDOWS_pelkora.exe
#   (needs imagemagick for the inputs, and wine)
# A wine server is started for the run and kept, as a user's session keeps
# one: the first start of a server costs seconds that are not the program's.
set -euo pipefail
# shellcheck source=bench/batch_inputs.sh
source "$(dirname "$0")/batch_inputs.sh"
linux=$(realpath "$1")
windows=$(realpath "$2")
wine_bin=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver_bin=$(command -v wineserver || echo /usr/lib/wine/wineserver)
magick_convert=/usr/bin/convert
[ -x "$magick_convert" ] || { echo "needs imagemagick (apt-get install imagemagick)"; exit 2; }

root=$(mktemp -d /dev/shm/pelkora-wine-bench.XXXXXX)
export WINEPREFIX=${WINEPREFIX:-$root/wine-prefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX" "$root/src" "$root/linux" "$root/windows"
# One already serving the prefix is used as it is.
"$wineserver_bin" -p >"$root/wineserver.out" 2>&1 || true
trap '"$wineserver_bin" -k >/dev/null 2>&1 || true; rm -rf "$root"' EXIT
"$wine_bin" wineboot -i >"$root/wineboot.out" 2>&1
make_batch_pictures "$magick_convert" "$root/src"

now() { date +%s%N; }
# Milliseconds one run takes, in folder $1; never in a pipe (wine's helpers
# would hold it open).
took_ms() {
  local folder=$1 start end
  shift
  start=$(now)
  (cd "$folder" && "$@" --quiet --batch "$root/src" >"$root/run.out" 2>&1)
  end=$(now)
  echo $(((end - start) / 1000000))
}

rounds=${ROUNDS:-5}
native=
emulated=
for _ in $(seq "$rounds"); do
  a=$(took_ms "$root/linux" "$linux")
  b=$(took_ms "$root/windows" "$wine_bin" "$windows")
  if [ -z "$native" ] || [ "$a" -lt "$native" ]; then native=$a; fi
  if [ -z "$emulated" ] || [ "$b" -lt "$emulated" ]; then emulated=$b; fi
done
diff -r "$root/linux/adv" "$root/windows/adv" >/dev/null || { echo "the two packages differ"; exit 1; }
echo "Linux:            ${native} ms ($(ls "$root/linux/adv" | wc -l) files)"
echo "Windows (wine):   ${emulated} ms (the same bytes)"
awk -v a="$emulated" -v b="$native" 'BEGIN { if (b > 0) printf "under wine: %.1fx the Linux time\n", a / b }'

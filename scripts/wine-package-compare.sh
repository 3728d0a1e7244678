#!/usr/bin/env bash
# The Windows program against the Linux one, a table of commands on the
# shipped examples and the GIF conformance suite: each command runs once
# with the Linux build and once with the Windows build under wine, each in
# a copy of the same inputs, and the two adv/ folders (every name and every
# byte) and exit statuses must be equal.
#
#   bash scripts/wine-package-compare.sh LINUX_pelkora WINDOWS_pelkora.exe
# Runs in the wine prefix and with the wine server of its caller.
set -u
[ $# -eq 2 ] || { echo "usage: $0 LINUX_pelkora WINDOWS_pelkora.exe"; exit 2; }
linux=$(realpath "$1")
windows=$(realpath "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
wine_bin=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One row: a name, then the command's arguments, run in a folder holding
# examples/ (also the current folder's advTimeSetting.ini) and suite/.
rows=(
  "batch of the examples|--batch examples"
  "every example added|--add examples/anim.gif examples/logo.png examples/gradient.bmp examples/welcome.txt"
  "the examples dithered and fitted|--add --dither --fit 64x32 examples/logo.png examples/gradient.bmp examples/anim.gif"
  "the GIF suite added|--add suite/*.gif"
  "the GIF suite in full frames|--add --full-frames suite/*.gif"
)

run_row() {  # side, program runner, arguments
  local side=$1 folder=$work/$1
  shift
  rm -rf "$folder"
  mkdir -p "$folder"
  cp -r "$root/examples" "$folder/examples"
  cp "$root/examples/advTimeSetting.ini" "$folder/"
  mkdir "$folder/suite"
  cp "$root"/tests/data/gif-test-suite/*.gif "$folder/suite/"
  rm -rf "$folder/examples/adv"
  (cd "$folder" && eval "$* --quiet" >"$work/$side.out" 2>&1)
  echo $?
}

failed=0
for row in "${rows[@]}"; do
  name=${row%%|*}
  arguments=${row#*|}
  linux_status=$(run_row linux "\"$linux\"" "$arguments")
  windows_status=$(run_row windows "\"$wine_bin\" \"$windows\"" "$arguments")
  if [ "$linux_status" != "$windows_status" ]; then
    echo "wine-package-compare: FAIL: $name: exit status $linux_status on Linux, $windows_status on Windows"
    cat "$work/windows.out"
    failed=1
  elif ! diff -r "$work/linux/adv" "$work/windows/adv" >"$work/diff.out" 2>&1; then
    echo "wine-package-compare: FAIL: $name: the packages differ"
    head -n 20 "$work/diff.out"
    failed=1
  else
    echo "wine-package-compare: $name: $(ls "$work/linux/adv" | wc -l) files equal, status $linux_status"
  fi
done
exit "$failed"

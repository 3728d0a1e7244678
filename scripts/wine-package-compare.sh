#!/usr/bin/env bash
# The Windows program against the Linux one: a table of commands on the
# shipped examples and the GIF conformance suite. Each row's commands run
# one after another with the Linux build, then with the Windows build under
# wine, each side in its own copy of the same inputs; the exit statuses,
# the messages (path separators and durations aside) and every file left
# in the folder (adv/, adv.previous/, rendered pictures) must be equal.
# The preview sheet is compared by status and message only, and without
# the warnings of characters its font lacks: its letters come from each
# system's own fonts.
#
#   bash scripts/wine-package-compare.sh LINUX_pelkora WINDOWS_pelkora.exe
# Runs in the wine prefix and with the wine server of its caller. wine is
# never run in a pipe: its helpers would hold the pipe open.
set -u
[ $# -eq 2 ] || { echo "usage: $0 LINUX_pelkora WINDOWS_pelkora.exe"; exit 2; }
linux=$(realpath "$1")
windows=$(realpath "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
wine_bin=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One row: a name, then commands separated by " ; ", each run in a folder
# holding examples/ and suite/ (and the examples' advTimeSetting.ini).
rows=(
  "batch of the examples|--batch examples"
  "every example added|--add examples/anim.gif examples/logo.png examples/gradient.bmp examples/welcome.txt examples/greeting.txt examples/hours.txt"
  "the GIF suite added|--add suite/*.gif"
  "full frames, dithered, fitted|--add --full-frames --dither --fit 64x32 examples/anim.gif examples/logo.png examples/gradient.bmp suite/*.gif"
  "emptied and restored|--batch examples ; --delete-all ; --restore ; --delete-all --no-previous"
  "described and checked|--batch examples ; --info adv/gradient.dob examples/anim.gif examples/welcome.txt ; --check ; --check nowhere"
  "playlist edits|--batch examples ; --list ; --remove welcome-01.txt ; --move gradient.dob 3 ; --set-time greeting-01.txt 2500 ; --set-time-all text 4000 ; --move nothing.dob 1 ; --list"
  "added again, replacing|--add examples/anim.gif examples/hours.txt ; --add --replace examples/anim.gif examples/hours.txt ; --list"
  "rendered|--add examples/logo.png examples/gradient.bmp examples/anim.gif ; --render adv/gradient.dob adv/logo.dob --to out ; --render adv/anim-01.dob ; --info adv/anim-02.dob"
  "preview sheet|--batch examples ; --preview --to sheet.png"
)

prepare() {  # folder
  rm -rf "$1"
  mkdir -p "$1/suite"
  cp -r "$root/examples" "$1/examples"
  rm -rf "$1/examples/adv" "$1/examples/preview.png"
  cp "$root/examples/advTimeSetting.ini" "$1/"
  cp "$root"/tests/data/gif-test-suite/*.gif "$1/suite/"
}

# What a side said, with the spelling of paths, the durations that differ
# from run to run and what each system's fonts lack set aside.
said() {  # raw messages file
  tr -d '\r' <"$1" | sed -E -e 's#\\#/#g' -e 's/ in [0-9]+\.[0-9]+ s/ in T s/' -e '/the preview font cannot draw/d'
}

run_side() {  # side, commands; the program's runner is in the array runner
  local side=$1 commands=$2 folder=$work/$1 command
  prepare "$folder"
  : >"$work/$side.said"
  local rest=$commands
  while [ -n "$rest" ]; do
    command=${rest%% ; *}
    if [ "$command" = "$rest" ]; then rest=; else rest=${rest#* ; }; fi
    # Unquoted on purpose: the words split and the globs expand in the folder.
    (cd "$folder" && "${runner[@]}" $command >"$work/$side.out" 2>&1)
    echo "\$ pelkora $command: status $?" >>"$work/$side.said"
    said "$work/$side.out" >>"$work/$side.said"
  done
  rm -f "$folder/sheet.png"
}

failed=0
for row in "${rows[@]}"; do
  name=${row%%|*}
  commands=${row#*|}
  runner=("$linux")
  run_side linux "$commands"
  runner=("$wine_bin" "$windows")
  run_side windows "$commands"
  if ! diff "$work/linux.said" "$work/windows.said" >"$work/diff.out" 2>&1; then
    echo "wine-package-compare: FAIL: $name: the statuses or messages differ (< Linux, > Windows)"
    head -n 20 "$work/diff.out"
    failed=1
  elif ! diff -r "$work/linux" "$work/windows" >"$work/diff.out" 2>&1; then
    echo "wine-package-compare: FAIL: $name: the files differ"
    head -n 20 "$work/diff.out"
    failed=1
  else
    echo "wine-package-compare: $name: $(find "$work/linux" -path '*/adv*' -type f | wc -l) package files equal"
  fi
done
exit "$failed"

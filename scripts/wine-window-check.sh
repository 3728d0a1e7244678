#!/usr/bin/env bash
# Opens the Windows dialog under wine in a real X window: starts it on the
# examples under Xvfb, over the package of an earlier start, waits for the window titled "Pelkora" (shown only
# after the start-up conversion), checks that adv/ was filled, presses
# Return (About is the default button) and waits for "About Pelkora",
# presses Escape to close it and Escape again to end the program, which
# must end with status 0. Says how long the window took to appear.
#
#   bash scripts/wine-window-check.sh BUILD_FOLDER
# Runs in the wine prefix and with the wine server of its caller
# (scripts/wine-tests.sh), or makes its own in BUILD_FOLDER.
set -u

fail() {
    echo "wine-window-check: FAIL: $*"
    [ -s "${work:-}/dialog.log" ] && { echo "--- what the program printed:"; cat "$work/dialog.log"; }
    exit 1
}

[ $# -eq 1 ] || fail "usage: $0 BUILD_FOLDER"
build=$(cd "$1" && pwd) || fail "no build folder $1"
program=$build/bin/pelkora-dialog.exe
[ -f "$program" ] || fail "no $program"
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done
wine_bin=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=${WINEPREFIX:-$build/wine-prefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# A space in the path: the folder argument must arrive whole.
work=$(mktemp -d "${TMPDIR:-/tmp}/pelkora wine check.XXXXXX")
xvfb_pid=
app_pid=
cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to $1 tenths of a second for a visible window named $2; prints it.
window_named() {
    local tenths=$1 name=$2 found
    for ((i = 0; i < tenths; i++)); do
        found=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1)
        [ -n "$found" ] && { echo "$found"; return 0; }
        kill -0 "$app_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Waits up to $1 tenths of a second until no visible window is named $2.
window_gone() {
    for ((i = 0; i < $1; i++)); do
        xdotool search --onlyvisible --name "$2" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

display=
for n in $(seq 161 230); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=":$n"
        break
    fi
done
[ -n "$display" ] || fail "no free X display"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do
    xwininfo -display "$display" -root >/dev/null 2>&1 && break
    sleep 0.1
done
export DISPLAY=$display

cp -r "$root/examples" "$work/examples" || fail "cannot copy the examples"
# The package of an earlier start: it is emptied, not a reason to refuse.
mkdir -p "$work/adv" && echo old >"$work/adv/old.dob"
start=$(date +%s%N)
(cd "$work" && exec "$wine_bin" "$program" examples >"$work/dialog.log" 2>&1) &
app_pid=$!

window=$(window_named 900 '^Pelkora$') || fail "no window titled Pelkora within 90 s"
echo "wine-window-check: window up after $((($(date +%s%N) - start) / 1000000)) ms"
[ -f "$work/adv/advertising.index" ] || fail "adv/advertising.index is missing"
[ ! -e "$work/adv/old.dob" ] || fail "the earlier package's adv/old.dob is still there"
dobs=$(find "$work/adv" -maxdepth 1 -name '*.dob' | wc -l)
pages=$(find "$work/adv" -maxdepth 1 -name '*-[0-9]*.txt' | wc -l)
[ "$dobs" -gt 0 ] && [ "$pages" -gt 0 ] || fail "adv/ holds $dobs picture files and $pages text pages"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers Return
about=$(window_named 100 '^About Pelkora$') || fail "Return opened no About box"
xdotool windowfocus --sync "$about" 2>/dev/null || true
xdotool key --clearmodifiers Escape
window_gone 100 '^About Pelkora$' || fail "Escape did not close the About box"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers Escape

for ((i = 0; i < 200; i++)); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end within 20 s of Escape"
wait "$app_pid"
status=$?
app_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "wine-window-check: PASS: the dialog converted the examples ($dobs pictures, $pages text pages), opened About on Return and ended on Escape"

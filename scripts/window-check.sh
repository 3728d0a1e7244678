#!/usr/bin/env bash
# Opens the dialog in a real X window as a person would: starts it on the
# examples under Xvfb, waits for the window titled "Pelkora", checks that
# the start-up batch filled adv/, presses Escape and checks that the program
# ended with status 0.
#
#   bash scripts/window-check.sh PATH_TO_BUILT_pelkora
set -u

fail() {
    echo "window-check: FAIL: $*"
    if [ -n "${work:-}" ] && [ -s "$work/xvfb.log" ]; then
        echo "--- what Xvfb printed:"
        cat "$work/xvfb.log"
    fi
    exit 1
}

[ $# -eq 1 ] || fail "usage: $0 PATH_TO_BUILT_pelkora"
binary=$(realpath "$1" 2>/dev/null) || fail "no program at $1"
[ -x "$binary" ] || fail "no program at $1"
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done

# A space in the path: the folder argument must arrive whole.
work=$(mktemp -d "${TMPDIR:-/tmp}/pelkora window check.XXXXXX")
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

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# A display nobody uses.
display=
for n in $(seq 91 160); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=":$n"
        break
    fi
done
[ -n "$display" ] || fail "no free X display"

# -noreset: by default the server resets when its last client leaves, and a
# program that connects just then (right after the readiness probe below
# disconnects) is refused.
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 100 xwininfo -display "$display" -root || fail "Xvfb did not start on $display"
export DISPLAY=$display
export QT_QPA_PLATFORM=xcb

cp -r "$root/examples" "$work/examples" || fail "cannot copy the examples"
start_app() {
    rm -rf "$work/adv"
    (cd "$work" && exec "$binary" "$work/examples" >"$work/pelkora.log" 2>&1) &
    app_pid=$!
}

# A refused connection to the display is the X server's trouble, not the
# program's: try again a few times before judging the program.
start_app
for ((attempt = 1; attempt < 4; attempt++)); do
    sleep 0.5
    kill -0 "$app_pid" 2>/dev/null && break
    grep -q 'could not connect to display' "$work/pelkora.log" || break
    wait "$app_pid" 2>/dev/null
    echo "window-check: the display refused the program; trying again"
    sleep 1
    start_app
done

# The dialog appears only when the start-up batch is done.
window=
for ((i = 0; i < 600; i++)); do
    window=$(xdotool search --onlyvisible --name '^Pelkora$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    cat "$work/pelkora.log"
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended before a window titled Pelkora appeared"
    fail "no window titled Pelkora within 60 s"
fi
echo "window-check: window $window is up"

[ -f "$work/adv/advertising.index" ] || fail "adv/advertising.index is missing"
dobs=$(find "$work/adv" -maxdepth 1 -name '*.dob' | wc -l)
pages=$(find "$work/adv" -maxdepth 1 -name '*-[0-9]*.txt' | wc -l)
[ "$dobs" -gt 0 ] || fail "adv/ holds no picture files"
[ "$pages" -gt 0 ] || fail "adv/ holds no text pages"
echo "window-check: adv/ holds $dobs picture files, $pages text pages and the playlist"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers Escape

ended=0
for ((i = 0; i < 200; i++)); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
        ended=1
        break
    fi
    sleep 0.1
done
if [ "$ended" -ne 1 ]; then
    cat "$work/pelkora.log"
    fail "the program did not end within 20 s of Escape"
fi
wait "$app_pid"
status=$?
app_pid=
[ "$status" -eq 0 ] || { cat "$work/pelkora.log"; fail "the program ended with status $status"; }

echo "window-check: PASS: the dialog opened on the examples, filled adv/ and ended with status 0 on Escape"

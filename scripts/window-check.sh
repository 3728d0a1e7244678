#!/usr/bin/env bash
# Opens the dialog in a real X window as a person would: starts it on the
# examples under Xvfb, waits for the window titled "Pelkora", checks that
# the start-up batch filled adv/, takes a screenshot of the window and checks
# that the picture area (remembered in device view) shows only device greys,
# opens "Package…" from the right-click menu and checks that its list shows
# a thumbnail in device greys, presses Escape and checks that the program
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
for tool in Xvfb xdotool xwininfo xwd od awk; do
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

# Settings of this check's own, never the user's: the device view is on.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Pelkora"
printf '[General]\nDeviceView=true\n' >"$XDG_CONFIG_HOME/Pelkora/pelkora.ini"
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

# The last picture of the batch, at the picture control's place (30, 26).
size=$(QT_QPA_PLATFORM=offscreen "$binary" --info "$work/examples/gradient.bmp" | sed -n 's/.*: picture \([0-9]*\)x\([0-9]*\)$/\1 \2/p')
[ -n "$size" ] || fail "cannot tell the size of examples/gradient.bmp"
read -r pic_w pic_h <<<"$size"
shot_ok=0
for ((i = 0; i < 50; i++)); do
    xwd -silent -id "$window" -out "$work/shot.xwd" 2>/dev/null || { sleep 0.1; continue; }
    # XWD: a header of 32-bit fields, the colour map (12 bytes an entry), then
    # the pixels. Every pixel in the area must be a device grey, 255 - 17 v.
    verdict=$(od -An -v -tu1 "$work/shot.xwd" | awk -v x0=30 -v y0=26 -v w="$pic_w" -v h="$pic_h" '
        { for (i = 1; i <= NF; i++) b[n++] = $i }
        function u32(at) { return ((b[at] * 256 + b[at + 1]) * 256 + b[at + 2]) * 256 + b[at + 3] }
        END {
            header = u32(0); order = u32(28); bpp = u32(44); line = u32(48); colours = u32(76)
            if (bpp != 32 || u32(56) != 16711680) { print "unsupported"; exit }
            start = header + 12 * colours
            for (y = y0; y < y0 + h; y++) for (x = x0; x < x0 + w; x++) {
                at = start + y * line + 4 * x
                if (order == 0) { blue = b[at]; green = b[at + 1]; red = b[at + 2] }
                else { red = b[at + 1]; green = b[at + 2]; blue = b[at + 3] }
                if (red != green || green != blue || red % 17 != 0) { print "colour " red "," green "," blue " at " x "," y; exit }
                seen[red] = 1
            }
            for (g in seen) levels++
            print (levels >= 4 ? "ok " levels : "flat " levels)
        }')
    case "$verdict" in
        ok*) shot_ok=1; break ;;
    esac
    sleep 0.1
done
[ "$shot_ok" -eq 1 ] || fail "the device view does not show device greys: $verdict"
echo "window-check: the device view shows ${verdict#ok } device grey levels"

# The package window, from the right-click menu: its first rows' thumbnails
# are the package's pictures, in device greys by whole pixels. One is found
# as a block of 8x8 pixels, all device greys, of at least three levels (no
# lettering or frame of the window's own is that).
xdotool mousemove --window "$window" 6 6 click 3
sleep 0.3
xdotool key --clearmodifiers p
package=
for ((i = 0; i < 100; i++)); do
    package=$(xdotool search --onlyvisible --name '^Package$' 2>/dev/null | head -n 1)
    [ -n "$package" ] && break
    sleep 0.1
done
[ -n "$package" ] || fail "no window titled Package after the right-click menu's Package item"
thumb_ok=0
for ((i = 0; i < 30; i++)); do
    xwd -silent -id "$package" -out "$work/package.xwd" 2>/dev/null || { sleep 0.1; continue; }
    verdict=$(od -An -v -tu1 "$work/package.xwd" | awk '
        { for (i = 1; i <= NF; i++) b[n++] = $i }
        function u32(at) { return ((b[at] * 256 + b[at + 1]) * 256 + b[at + 2]) * 256 + b[at + 3] }
        END {
            header = u32(0); order = u32(28); bpp = u32(44); line = u32(48); colours = u32(76)
            w = u32(16); h = u32(20)
            if (bpp != 32 || u32(56) != 16711680) { print "unsupported"; exit }
            start = header + 12 * colours
            right = w < 200 ? w : 200
            for (y = 0; y < h; y++) for (x = 0; x < right; x++) {
                at = start + y * line + 4 * x
                if (order == 0) { blue = b[at]; green = b[at + 1]; red = b[at + 2] }
                else { red = b[at + 1]; green = b[at + 2]; blue = b[at + 3] }
                g[x, y] = (red == green && green == blue && red % 17 == 0) ? red : -1
            }
            for (y = 0; y + 8 <= h; y += 2) for (x = 0; x + 8 <= right; x += 2) {
                split("", seen); levels = 0; whole = 1
                for (dy = 0; dy < 8 && whole; dy++) for (dx = 0; dx < 8; dx++) {
                    v = g[x + dx, y + dy]
                    if (v < 0) { whole = 0; break }
                    if (!(v in seen)) { seen[v] = 1; levels++ }
                }
                if (whole && levels >= 3) { print "ok " x "," y; exit }
            }
            print "none"
        }')
    case "$verdict" in
        ok*) thumb_ok=1; break ;;
    esac
    sleep 0.1
done
[ "$thumb_ok" -eq 1 ] || fail "the package window shows no thumbnail in device greys: $verdict"
echo "window-check: the package window lists the package, a thumbnail in device greys at ${verdict#ok }"
xdotool windowfocus --sync "$package" 2>/dev/null || xdotool windowfocus "$package"
xdotool key --clearmodifiers Escape

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

echo "window-check: PASS: the dialog opened on the examples, filled adv/, showed the device view and the package window, and ended with status 0 on Escape"

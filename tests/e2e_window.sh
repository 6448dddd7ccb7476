#!/usr/bin/env bash
# The real program in a real window under Xvfb: the window must show, pixel for pixel
# after undoing the scale, the page that batch mode writes for the same input; a key
# press must end it with exit code 0.
#   e2e_window.sh CHARTEST_BINARY WORKDIR
set -euo pipefail
binary=$1
workdir=$2
tmp=$(mktemp -d)
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
cp -r "$workdir/." "$tmp/run"
cd "$tmp/run"

# Batch mode: no display, the final page as PNG.
CHARTEST_KEYS="" CHARTEST_SNAPSHOT="$tmp/batch.png" DISPLAY= "$binary"
[ -s "$tmp/batch.png" ] || { echo "batch mode wrote no snapshot"; exit 1; }

# The window.
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb=$!
read -r display <&3
export DISPLAY=":$display"
# In a sanitized build, leak checks stay on for the batch run above; the window run
# loads display drivers that are unloaded again at exit, and their leftovers cannot be
# told apart from leaks.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" CHARTEST_SNAPSHOT="$tmp/window-page.png" "$binary" &
app=$!
for _ in $(seq 1 200); do [ -s "$tmp/window-page.png" ] && break; sleep 0.05; done
window=$(xdotool search --sync --classname '^chartest$' | head -n 1)
geometry=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
echo "window $window is $geometry"
width=${geometry%x*}
scale=$((width / 320))
[ "$geometry" = "$((320 * scale))x$((240 * scale))" ] || { echo "window is not 320k x 240k"; exit 1; }
convert "$tmp/batch.png" -alpha off "$tmp/batch-rgb.png"
# The window shows the last page within one display refresh once the program waits;
# on a loaded machine the first capture may still come too early, so look again.
for attempt in $(seq 1 20); do
  sleep 0.25
  import -window "$window" "$tmp/window.png"
  # Undo the integer scale by taking every k-th pixel, then compare colour channels.
  convert "$tmp/window.png" -filter point -sample 320x240 -alpha off "$tmp/window-1x.png"
  diff_pixels=$(compare -metric AE "$tmp/window-1x.png" "$tmp/batch-rgb.png" null: 2>&1 || true)
  [ "$diff_pixels" = "0" ] && break
done
echo "pixels that differ: $diff_pixels (capture $attempt)"
[ "$diff_pixels" = "0" ] || exit 1

xdotool key --window "$window" space
status=0
wait "$app" || status=$?
app=
echo "exit code after a key: $status"
[ "$status" -eq 0 ]

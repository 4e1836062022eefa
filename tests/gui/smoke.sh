#!/bin/sh
# Starts the real program under Xvfb, types a Logo line through the X server and checks from a
# screenshot that the picture shows the drawing.
# Usage: smoke.sh ZAMIRO
set -u
zamiro=$1
work=$(mktemp -d)
display=":$((90 + $$ % 100))"
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  [ -n "${keep:-}" ] && cp "$work"/*.ppm "$keep"/ ; rm -rf "$work"
}
trap cleanup EXIT
keep=${SMOKE_KEEP:-}
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$zamiro" >"$work/app.log" 2>&1 &
app=$!
wid=$(timeout 20 xdotool search --sync --name "ZAMIRO Ver 1.53" | head -n 1)
[ -n "$wid" ] || { echo "the window did not appear"; cat "$work/app.log"; exit 1; }
sleep 2  # the interpreter waits a second before it reads input
xdotool windowfocus --sync "$wid"
import -window "$wid" -depth 8 "$work/before.ppm"
xdotool type --delay 20 "ht pu setxy 100 0 pd fd 100"
xdotool key Return
sleep 2
import -window "$wid" -depth 8 "$work/after.ppm"
python3 - "$work/before.ppm" "$work/after.ppm" <<'PY'
import sys
def load(path):
    data = open(path, 'rb').read()
    parts = data.split(maxsplit=4)
    w, h = int(parts[1]), int(parts[2])
    return w, h, parts[4][-w * h * 3:]
w, h, before = load(sys.argv[1])
_, _, after = load(sys.argv[2])
def dark(px, i):
    return px[i] < 64 and px[i + 1] < 64 and px[i + 2] < 64
# Count columns gaining a run of at least 90 new dark pixels: the line fd 100 draws.
best = 0
for x in range(w):
    run = longest = 0
    for y in range(h):
        i = (y * w + x) * 3
        if dark(after, i) and not dark(before, i):
            run += 1
            longest = max(longest, run)
        else:
            run = 0
    best = max(best, longest)
print("longest new vertical dark run:", best)
sys.exit(0 if best >= 90 else 1)
PY

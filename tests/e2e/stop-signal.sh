#!/usr/bin/env bash
# The window ends promptly on SIGTERM whatever it is doing: during a long save (large pictures,
# no picture cache) it cancels the work and is gone within the time allowed, leaving no
# temporary file beside the project and none of its own folders behind.
#
# Usage: stop-signal.sh BIN_DIR   (run inside xvfb-run)
source "$(dirname "$0")/window.sh"
mkdir -p "$work/design"
printf '[1.1]\nSettings\\UsePictureCache=0\nView\\ShowLivePreview=0\n' >"$work/config/QEL/Torvane.conf"

# The sample with every picture replaced by one large picture makes a save that runs for seconds.
/usr/bin/python3 -c '
import struct, sys, zlib
w, h = 8000, 6000
chunk = lambda k, d: struct.pack(">I", len(d)) + k + d + struct.pack(">I", zlib.crc32(k + d))
row = bytes([0]) + bytes((x * 7 + (x >> 3)) & 255 for x in range(w * 3))
sys.stdout.buffer.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    + chunk(b"IDAT", zlib.compress(row * h, 1)) + chunk(b"IEND", b""))' >"$work/design/big.png"
sed_args=()
for name in harbour dunes forest tower meadow; do
  ln "$work/design/big.png" "$work/design/$name.png"
  sed_args+=(-e "s#$name.jpg#$work/design/$name.png#")
done
sed "${sed_args[@]}" "$bin/samples/sample.tvn" >"$work/design/big.tvn"

start "$work/design/big.tvn"
keys alt+i n  # an edit, so that Save has something to save
keys ctrl+s
scaled() { find "$work/prog" "$work/run" -name 'slider*.jpg' | grep -q .; }
for _ in $(seq 1 200); do scaled && break; sleep 0.1; done  # well into the save
scaled || fail "the save did not start"
kill -0 "$app" 2>/dev/null || fail "the window ended before it was stopped"
stopped=$(date +%s%N)
kill -TERM "$app"
elapsed() { echo $((($(date +%s%N) - stopped) / 1000000)); }
while kill -0 "$app" 2>/dev/null && [ "$(elapsed)" -lt 2000 ]; do sleep 0.01; done
kill -0 "$app" 2>/dev/null && fail "still running 2 s after SIGTERM"
elapsed=$(elapsed)
status=0
wait "$app" || status=$?
app=
[ "$status" -eq 143 ] || fail "exit status $status, not 143"
leftovers=$(find "$work/design" "$work/tmp" "$work/run" -mindepth 1 \
  \( -name '*.tmp' -o -name 'torvane-live-*' -o -name 'instance-*' \) | head -5)
[ -z "$leftovers" ] || fail "left behind: $leftovers"
echo "ended ${elapsed} ms after SIGTERM during a save"

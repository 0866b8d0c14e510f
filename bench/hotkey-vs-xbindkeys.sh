#!/bin/bash
# Runs hotkey_vs_xbindkeys on a private X server and sound server:
#   bench/hotkey-vs-xbindkeys.sh [runs]
# The program is taken from $ZOVEDU_BUILD_DIR/bench (default: build).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
program=${ZOVEDU_BUILD_DIR:-$root/build}/bench/hotkey_vs_xbindkeys
runs=${1:-20}

for tool in Xvfb xdotool xbindkeys parecord; do
  command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done
[ -x "$program" ] || { echo "$0: $program not built (ninja hotkey_vs_xbindkeys)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/hotkey-vs-xbindkeys.XXXXXX")
xvfb=""
ZOVEDU_PULSE_PID=""
cleanup() {
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  if [ -n "$ZOVEDU_PULSE_PID" ]; then "$root/scripts/pulse/stop-test-server.sh" "$ZOVEDU_PULSE_PID"; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

eval "$("$root/scripts/pulse/start-test-server.sh")"

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 300); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "$0: Xvfb ended" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "$0: Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY
unset WAYLAND_DISPLAY

"$program" "$runs"

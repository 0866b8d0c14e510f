#!/bin/bash
# Runs record_vs_ffmpeg on a private sound server with a 1 kHz tone playing
# into both of its stereo sinks for the whole run:
#   bench/record-vs-ffmpeg.sh [seconds]
# The program is taken from $ZOVEDU_BUILD_DIR/bench (default: build).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
program=${ZOVEDU_BUILD_DIR:-$root/build}/bench/record_vs_ffmpeg
seconds=${1:-${ZOVEDU_BENCH_SECONDS:-10}}

for tool in sox pacat ffmpeg; do
  command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done
[ -x "$program" ] || { echo "$0: $program not built (ninja record_vs_ffmpeg)" >&2; exit 1; }

pids=""
work=$(mktemp -d "${TMPDIR:-/tmp}/record-vs-ffmpeg.XXXXXX")
ZOVEDU_PULSE_PID=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  for pid in $pids; do wait "$pid" 2>/dev/null || true; done
  if [ -n "$ZOVEDU_PULSE_PID" ]; then "$root/scripts/pulse/stop-test-server.sh" "$ZOVEDU_PULSE_PID"; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

eval "$("$root/scripts/pulse/start-test-server.sh")"

# One tone generator per sink, joined to its player through a pipe of our own
# so that both processes are known by their ids. The tone outlasts any run.
for sink in zovedu_play zovedu_cap; do
  mkfifo "$work/$sink"
  pacat --playback --raw --rate=48000 --channels=2 --format=s16le --device="$sink" <"$work/$sink" &
  pids="$pids $!"
  sox -q -n -t raw -r 48000 -c 2 -e signed -b 16 - synth 86400 sine 1000 vol 0.5 >"$work/$sink" 2>/dev/null &
  pids="$pids $!"
done
sleep 0.5  # the tone is flowing before the first recording

"$program" "$seconds"

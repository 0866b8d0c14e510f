#!/bin/bash
# Runs window_vs_assistant on a private X server and sound server:
#   bench/window-vs-assistant.sh [runs]
# Assistant is Debian's assistant-qt6 (with libqt6sql6-sqlite for its help
# collection). The programs are taken from
# $ZOVEDU_BUILD_DIR (default: build); $ZOVEDU_PROGRAM names another zovedu.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZOVEDU_BUILD_DIR:-$root/build}
bench=$build/bench/window_vs_assistant
program=${ZOVEDU_PROGRAM:-$build/out/zovedu}
assistant=/usr/lib/qt6/bin/assistant
runs=${1:-5}

command -v Xvfb >/dev/null || { echo "$0: Xvfb not found" >&2; exit 1; }
[ -x "$assistant" ] || { echo "$0: $assistant not found (apt-get install assistant-qt6 libqt6sql6-sqlite)" >&2; exit 1; }
[ -x "$bench" ] || { echo "$0: $bench not built (ninja window_vs_assistant)" >&2; exit 1; }

source "$root/scripts/lib.sh"
XVFB_PID=""
ZOVEDU_PULSE_PID=""
cleanup() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  if [ -n "$ZOVEDU_PULSE_PID" ]; then "$root/scripts/pulse/stop-test-server.sh" "$ZOVEDU_PULSE_PID"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

eval "$("$root/scripts/pulse/start-test-server.sh")"
start_xvfb
unset WAYLAND_DISPLAY
"$bench" "$program" "$assistant" "$runs"

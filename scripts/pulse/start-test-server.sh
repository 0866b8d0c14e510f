#!/bin/sh
# Starts a private sound server for tests and prints shell lines that point
# clients at it; use as:  eval "$(scripts/pulse/start-test-server.sh)"
# Prints PULSE_SERVER, ZOVEDU_PULSE_PID and ZOVEDU_PULSE_DIR; stop the server
# with scripts/pulse/stop-test-server.sh "$ZOVEDU_PULSE_PID". An argument
# names another server script to load instead of test-server.pa.
# Works for root too: the server runs per-user (not --system) in a private
# runtime folder and never autospawns.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
script="${1:-$here/test-server.pa}"
timeout_s=${ZOVEDU_PULSE_START_TIMEOUT:-10}

for tool in pulseaudio pactl pacat parec; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "start-test-server: $tool not found (install pulseaudio pulseaudio-utils)" >&2
    exit 1
  fi
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/zovedu-pulse.XXXXXX")
chmod 700 "$dir"
mkdir -p "$dir/runtime" "$dir/state" "$dir/config"
socket="$dir/runtime/native"

# The server and pactl only look into the private folders; the user's own
# server, cookie and settings stay untouched.
XDG_RUNTIME_DIR=$dir
PULSE_RUNTIME_PATH=$dir/runtime
PULSE_STATE_PATH=$dir/state
PULSE_CONFIG_PATH=$dir/config
PULSE_COOKIE=$dir/config/cookie
export XDG_RUNTIME_DIR PULSE_RUNTIME_PATH PULSE_STATE_PATH PULSE_CONFIG_PATH PULSE_COOKIE
unset PULSE_SERVER

# setsid and the redirections detach the server from the caller's terminal and
# from the pipe of "$(...)", so the eval returns at once.
HOME=$dir setsid pulseaudio -n -F "$script" --system=no --daemonize=no --exit-idle-time=-1 \
  --disallow-exit --use-pid-file=no --realtime=no --high-priority=no \
  --log-target=stderr --log-level=notice \
  </dev/null >"$dir/server.log" 2>&1 &
pid=$!

PULSE_SERVER="unix:$socket"
export PULSE_SERVER
deadline=$(( $(date +%s) + timeout_s ))
until pactl info >/dev/null 2>&1; do
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "start-test-server: the server exited; its log:" >&2
    cat "$dir/server.log" >&2
    rm -rf "$dir"
    exit 1
  fi
  if [ "$(date +%s)" -ge "$deadline" ]; then
    echo "start-test-server: no answer within ${timeout_s}s; its log:" >&2
    cat "$dir/server.log" >&2
    kill "$pid" 2>/dev/null || true
    rm -rf "$dir"
    exit 1
  fi
  sleep 0.1
done

# A null sink renders in blocks of up to two seconds unless a client asks for
# less, and a monitor's listeners do not count; so a capture from an unused
# sink's monitor would wait that long for its first data. A silent
# low-latency stream into every sink makes them render in small blocks, as
# sound cards do. The streams end with the server.
for sink in $(pactl list short sinks | cut -f2); do
  setsid pacat --playback --raw --latency-msec=10 --device="$sink" \
    --client-name=zovedu-keepalive --stream-name=silence </dev/zero >/dev/null 2>&1 &
done
# The first recording from a source fed by a monitor (the remapped source)
# still waits up to two seconds for its data; one short recording from each
# such source takes that wait here instead of in the first test.
for source in $(pactl list short sources | cut -f2 | grep -v '\.monitor$'); do
  timeout "$timeout_s" parec --raw --latency-msec=10 --device="$source" 2>/dev/null \
    | head -c 64 >/dev/null || true
done

echo "export PULSE_SERVER='unix:$socket'"
echo "export ZOVEDU_PULSE_PID=$pid"
echo "export ZOVEDU_PULSE_DIR='$dir'"

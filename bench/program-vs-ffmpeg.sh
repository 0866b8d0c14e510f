#!/bin/bash
# The whole program recording WAV with its window shown (spectrum and level
# display live) on a private X display, next to `ffmpeg -f pulse` and
# `parecord` recording the same source at the same time. Prints each one's
# CPU ticks over the same stretch, the program's ticks per thread, and the
# program's ratio to ffmpeg; a ratio of 1.0 or less is the goal.
#
#   bench/program-vs-ffmpeg.sh [seconds] [cases...]
#
# A case is path:rate:bits; path "mixer" records an output's monitor (a
# loopback device), "direct" a capture source. Default: all four of
# mixer/direct at 44100:16 and 192000:32. Seconds default to 20
# (ZOVEDU_BENCH_SECONDS). The program is $ZOVEDU_PROGRAM, else the one in
# $ZOVEDU_BUILD_DIR/out (default: build/out).
# ZOVEDU_BENCH_SIGNAL chooses what plays (default: pink noise).
# ZOVEDU_BENCH_WARMUP sets the seconds before the measured stretch (default
# 3): with 60 and 3540 seconds, the RSS line tells how much an hour's
# recording grew after its first minute.
# ZOVEDU_BENCH_PERF=<prefix> also writes each case's perf profile of the
# program to <prefix>.<case>.data, with its summary by thread and library
# in <prefix>.<case>.txt.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
program=${ZOVEDU_PROGRAM:-${ZOVEDU_BUILD_DIR:-$root/build}/out/zovedu}
seconds=${1:-${ZOVEDU_BENCH_SECONDS:-20}}
shift || true
cases=${*:-mixer:44100:16 direct:44100:16 mixer:192000:32 direct:192000:32}
warmup=${ZOVEDU_BENCH_WARMUP:-3}
# What plays: a steady tone leaves the spectrum still, noise moves every bar
# in every frame (ZOVEDU_BENCH_SIGNAL, sox synth's words).
signal=${ZOVEDU_BENCH_SIGNAL:-pinknoise}

for tool in sox pacat ffmpeg parecord pactl Xvfb pulseaudio; do
  command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done
[ -x "$program" ] || { echo "$0: $program not built" >&2; exit 1; }

source "$root/scripts/lib.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/program-vs-ffmpeg.XXXXXX")
pids=""
ZOVEDU_PULSE_PID=""
XVFB_PID=""
stop_all() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  for pid in $pids; do wait "$pid" 2>/dev/null || true; done
  pids=""
  if [ -n "$ZOVEDU_PULSE_PID" ]; then "$root/scripts/pulse/stop-test-server.sh" "$ZOVEDU_PULSE_PID" || true; fi
  ZOVEDU_PULSE_PID=""
}
cleanup() {
  stop_all
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# utime + stime of a process or thread, in clock ticks.
ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "$1/stat" 2>/dev/null || echo 0; }

# "name ticks wakeups" for each thread of a process.
thread_ticks() {
  local t
  for t in /proc/"$1"/task/*; do
    printf '%s %s %s\n' "$(tr ' ' _ <"$t/comm")" "$(ticks "$t")" \
      "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$t/status" 2>/dev/null || echo 0)"
  done
}

# Voluntary context switches of all of a process's threads: how often it woke.
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }'; }

ensure_runtime_dir
start_xvfb

run_case() {
  local path=$1 rate=$2 bits=$3 format sox_bits ffmpeg_codec
  case $bits in
    16) format=s16le; sox_bits=16; ffmpeg_codec=pcm_s16le; bits_index=1 ;;
    32) format=s32le; sox_bits=32; ffmpeg_codec=pcm_s32le; bits_index=3 ;;
    *) echo "$0: bits must be 16 or 32" >&2; return 1 ;;
  esac
  local dir="$work/$path-$rate-$bits"
  mkdir -p "$dir/home/Documents/ridi" "$dir/home/.config" "$dir/out" "$dir/runtime"
  chmod 700 "$dir/runtime"
  {
    echo "load-module module-native-protocol-unix auth-anonymous=1 auth-cookie-enabled=0"
    echo "load-module module-null-sink sink_name=bench_out rate=$rate format=$format channels=2"
    echo "set-default-sink bench_out"
    # A capture source that is not a monitor: remapped from a second
    # output's monitor, so it keeps a sound card's rhythm.
    echo "load-module module-null-sink sink_name=bench_feed rate=$rate format=$format channels=2"
    echo "load-module module-remap-source source_name=bench_in master=bench_feed.monitor"
    echo "set-default-source bench_in"
  } >"$dir/server.pa"
  eval "$("$root/scripts/pulse/start-test-server.sh" "$dir/server.pa")"

  local source sink
  if [ "$path" = mixer ]; then
    source=bench_out.monitor sink=bench_out
  else
    source=bench_in sink=bench_feed
  fi
  mkfifo "$dir/tone"
  pacat --playback --raw --rate="$rate" --channels=2 --format="$format" --device="$sink" <"$dir/tone" &
  pids="$pids $!"
  # shellcheck disable=SC2086  # the signal is sox's words
  sox -q -n -t raw -r "$rate" -c 2 -e signed -b "$sox_bits" - synth 86400 $signal vol 0.5 >"$dir/tone" 2>/dev/null &
  pids="$pids $!"
  # The program's device list is the server's source list, in its order.
  local index
  index=$(pactl list short sources | cut -f2 | grep -n -x "$source" | cut -d: -f1)
  index=$((index - 1))

  printf 'XDG_DOCUMENTS_DIR="$HOME/Documents"\n' >"$dir/home/.config/user-dirs.dirs"
  printf '[OutPut]\nFolder=%s/\n[Main]\nFormat=0\nBits=%d\n' "$dir/out" "$bits_index" \
    >"$dir/home/Documents/ridi/ridi.ini"
  printf '[Record]\nOutName=%s\nOutFormat=0\nSource=%d\nVolume=100\nStoptime=%d\n' \
    "$dir/out/program.wav" "$index" $((seconds + warmup + 30)) >"$dir/task.cfg"

  HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_RUNTIME_DIR="$dir/runtime" \
    XDG_DATA_HOME="$dir/home/.local/share" XDG_STATE_HOME="$dir/home/.local/state" \
    XDG_CACHE_HOME="$dir/home/.cache" QT_QPA_PLATFORM=xcb \
    "$program" -run "$dir/task.cfg" >"$dir/program.log" 2>&1 &
  local program_pid=$!
  pids="$pids $program_pid"
  ffmpeg -nostdin -loglevel error -f pulse -sample_rate "$rate" -channels 2 -i "$source" \
    -c:a "$ffmpeg_codec" -y "$dir/ffmpeg.wav" &
  local ffmpeg_pid=$!
  pids="$pids $ffmpeg_pid"
  parecord --device="$source" --rate="$rate" --channels=2 --format="$format" --file-format=wav \
    "$dir/parecord.wav" &
  local parecord_pid=$!
  pids="$pids $parecord_pid"

  # Measured once all three write.
  local deadline=$((SECONDS + 30))
  until [ -s "$dir/ffmpeg.wav" ] && [ -s "$dir/parecord.wav" ] && [ -n "$(ls "$dir/out")" ]; do
    if [ $SECONDS -ge $deadline ]; then
      echo "$path $rate/$bits: not all three recorded; the program said:" >&2
      cat "$dir/program.log" >&2
      stop_all
      return 1
    fi
    sleep 0.2
  done
  sleep "$warmup"
  local p0 f0 r0 p1 f1 r1 threads0
  threads0=$(thread_ticks "$program_pid")
  p0=$(ticks "/proc/$program_pid") f0=$(ticks "/proc/$ffmpeg_pid") r0=$(ticks "/proc/$parecord_pid")
  local fw0 rw0
  fw0=$(wakeups "$ffmpeg_pid") rw0=$(wakeups "$parecord_pid")
  local rss0
  rss0=$(awk '/VmRSS/ { print $2 }' "/proc/$program_pid/status")
  if [ -n "${ZOVEDU_BENCH_PERF:-}" ]; then
    # Where the program's time goes: a call-graph profile of the stretch.
    local profile="$ZOVEDU_BENCH_PERF.$path-$rate-$bits"
    perf record -q --call-graph dwarf,16384 -F 2000 -o "$profile.data" -p "$program_pid" -- sleep "$seconds" >/dev/null 2>&1
    perf report -i "$profile.data" --no-children --sort comm,dso --stdio 2>/dev/null |
      grep '%' | grep -v '^#' >"$profile.txt"
  else
    sleep "$seconds"
  fi
  p1=$(ticks "/proc/$program_pid") f1=$(ticks "/proc/$ffmpeg_pid") r1=$(ticks "/proc/$parecord_pid")
  local fw1 rw1
  fw1=$(wakeups "$ffmpeg_pid") rw1=$(wakeups "$parecord_pid")
  local rss1
  rss1=$(awk '/VmRSS/ { print $2 }' "/proc/$program_pid/status")
  local per_thread
  per_thread=$( { echo "$threads0" | sed 's/^/0 /'
                  thread_ticks "$program_pid" | sed 's/^/1 /'; } |
    awk -v s="$seconds" '$1 == 0 { a[$2] += $3; wa[$2] += $4 } $1 == 1 { b[$2] += $3; wb[$2] += $4 }
         END { for (n in b) if (b[n] - a[n] > 0 || wb[n] - wa[n] > s)
                 printf "%s %d (%d wakeups/s), ", n, b[n] - a[n], (wb[n] - wa[n]) / s }')
  local p=$((p1 - p0)) f=$((f1 - f0)) r=$((r1 - r0))
  printf '%-6s %6d Hz %2d bit  %2d s: program %4d ticks  ffmpeg %4d  parecord %4d  ratio to ffmpeg %s  to parecord %s\n' \
    "$path" "$rate" "$bits" "$seconds" "$p" "$f" "$r" \
    "$(awk -v a=$p -v b=$f 'BEGIN { printf (b > 0 ? "%.2f" : "n/a"), (b > 0 ? a / b : 0) }')" \
    "$(awk -v a=$p -v b=$r 'BEGIN { printf (b > 0 ? "%.2f" : "n/a"), (b > 0 ? a / b : 0) }')"
  printf '       program threads, ticks: %s\n' "${per_thread%, }"
  printf '       wakeups/s: ffmpeg %d, parecord %d\n' $(((fw1 - fw0) / seconds)) $(((rw1 - rw0) / seconds))
  printf '       program RSS %d kB -> %d kB over the run\n' "$rss0" "$rss1"
  stop_all
}

echo "Recording WAV, the program with its window shown next to ffmpeg -f pulse and parecord"
echo "Playing: sox synth $signal"
echo "(CPU clock ticks of $(getconf CLK_TCK) per second over the same $seconds s, after ${warmup} s of warm-up)"
for c in $cases; do
  IFS=: read -r path rate bits <<<"$c"
  run_case "$path" "$rate" "$bits"
done

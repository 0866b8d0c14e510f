#!/usr/bin/env bash
# Usage: run_without_display.sh <source tree> <build tree>
# Starts scripts/run with DISPLAY, WAYLAND_DISPLAY and XDG_RUNTIME_DIR unset
# and the build and package steps skipped, waits for the window on the
# virtual display the script names, ends it with SIGTERM and checks: exit
# status 0, no Xvfb left on that display, no warning about the runtime folder.
# Twice: with the sound server of PULSE_SERVER (or a private one started
# here), and with no sound server and a per-user daemon that will not start,
# where the script's own private server must stop with the program.
set -uo pipefail

root=$1
build=$2
deadline_s=60

scratch=$(mktemp -d "${TMPDIR:-/tmp}/zovedu-scripts-run.XXXXXX")
# A user name of its own gives the script a runtime folder no other program
# uses, so that no running instance takes the start over.
user=zovedu-run-test-$$
runtime=/tmp/runtime-$user
run_pid=""
own_pulse_pid=""
own_pulse_dir=""
display=""
script_pulse_dir=""
case_name="setup"

fail() {
  echo "FAIL ($case_name): $*" >&2
  echo "--- scripts/run said:" >&2
  cat "$scratch/run.out" >&2 2>/dev/null
  exit 1
}

# What the script failed to stop is not left to the next tests.
stop_leftovers() {
  [ -n "$run_pid" ] && kill -KILL "$run_pid" 2>/dev/null
  run_pid=""
  if [ -n "$display" ]; then
    for pid in $(pgrep -f "^Xvfb $display( |$)"); do kill "$pid"; done
  fi
  if [ -n "$script_pulse_dir" ]; then
    for pid in $(pgrep -x pulseaudio); do
      tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "PULSE_RUNTIME_PATH=$script_pulse_dir/runtime" &&
        kill "$pid"
    done
    rm -rf "$script_pulse_dir"
  fi
}

cleanup() {
  stop_leftovers
  [ -n "$own_pulse_pid" ] && "$root/scripts/pulse/stop-test-server.sh" "$own_pulse_pid"
  [ -n "$own_pulse_dir" ] && rm -rf "$own_pulse_dir"
  rm -rf "$scratch" "$runtime"
}
trap cleanup EXIT

# Polls the script's output for a sed expression's first match.
wait_for_output() {
  local found="" end=$((SECONDS + deadline_s))
  until [ -n "$found" ]; do
    found=$(sed -n "$1" "$scratch/run.out" | head -n 1)
    [ -n "$found" ] && break
    kill -0 "$run_pid" 2>/dev/null || fail "scripts/run ended before saying $2"
    [ "$SECONDS" -lt "$end" ] || fail "scripts/run did not say $2 within ${deadline_s}s"
    sleep 0.1
  done
  printf '%s' "$found"
}

# Runs scripts/run with the environment changes given ("-u NAME" first, then
# "NAME=value"), ends it with SIGTERM once its window is up and checks what it left.
run_case() {
  case_name=$1
  shift
  display=""
  script_pulse_dir=""
  mkdir -p "$scratch/home"
  env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM "$@" \
    HOME="$scratch/home" USER="$user" ZOVEDU_BUILD="$build" \
    ZOVEDU_SKIP_PACKAGES=1 ZOVEDU_SKIP_BUILD=1 \
    "$root/scripts/run" >"$scratch/run.out" 2>&1 &
  run_pid=$!

  # fail in the command substitution ends only that subshell.
  display=$(wait_for_output 's/.*virtual display \(:[0-9]\+\).*/\1/p' "a virtual display") || exit 1
  timeout "$deadline_s" env DISPLAY="$display" xdotool search --sync --onlyvisible --name '^Zovedu$' >/dev/null ||
    fail "no Zovedu window appeared on $display within ${deadline_s}s"
  [ -S "$runtime/zovedu/instance" ] || fail "no instance socket in $runtime/zovedu"
  script_pulse_dir=$(sed -n 's/.*private PulseAudio .*(unix:\(.*\)\/runtime\/native).*/\1/p' "$scratch/run.out")

  kill -TERM "$run_pid"
  local status=0 end=$((SECONDS + deadline_s))
  while kill -0 "$run_pid" 2>/dev/null; do
    [ "$SECONDS" -lt "$end" ] || fail "scripts/run did not end within ${deadline_s}s of SIGTERM"
    sleep 0.1
  done
  wait "$run_pid" || status=$?
  run_pid=""

  [ "$status" -eq 0 ] || fail "scripts/run ended with status $status"
  if pgrep -f "^Xvfb $display( |$)" >/dev/null; then fail "Xvfb on $display is still running"; fi
  [ ! -e "/tmp/.X${display#:}-lock" ] || fail "the lock of display $display is left behind"
  if grep -q XDG_RUNTIME_DIR "$scratch/run.out"; then fail "a warning about XDG_RUNTIME_DIR"; fi
  grep -q "Stopped the virtual display $display" "$scratch/run.out" || fail "no word about stopping the display"
  echo "$case_name: window on $display, ended by SIGTERM with status 0, display stopped"
}

if [ -z "${PULSE_SERVER:-}" ]; then
  server=$("$root/scripts/pulse/start-test-server.sh") || { echo "FAIL: no private sound server" >&2; exit 1; }
  eval "$server"
  own_pulse_pid=$ZOVEDU_PULSE_PID
  own_pulse_dir=$ZOVEDU_PULSE_DIR
fi

run_case "given sound server" PULSE_SERVER="$PULSE_SERVER"

# No server answers and the user's daemon does not start (as for root
# without a session); clients must not start one behind the script's back.
mkdir -p "$scratch/bin"
printf '#!/bin/sh\n[ "$1" = --start ] && exit 1\nexec %s "$@"\n' "$(command -v pulseaudio)" >"$scratch/bin/pulseaudio"
chmod +x "$scratch/bin/pulseaudio"
printf 'autospawn = no\n' >"$scratch/client.conf"
run_case "private sound server" -u PULSE_SERVER PATH="$scratch/bin:$PATH" PULSE_CLIENTCONFIG="$scratch/client.conf"
[ -n "$script_pulse_dir" ] || fail "scripts/run did not start its private sound server"
grep -q "Stopped the private PulseAudio" "$scratch/run.out" || fail "no word about stopping the private server"
[ ! -e "$script_pulse_dir" ] || fail "the private server's folder $script_pulse_dir is left behind"
if PULSE_SERVER="unix:$script_pulse_dir/runtime/native" pactl info >/dev/null 2>&1; then
  fail "the private server still answers"
fi
script_pulse_dir=""

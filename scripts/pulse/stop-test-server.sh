#!/bin/sh
# Stops a server started by start-test-server.sh and removes its private
# folder:  scripts/pulse/stop-test-server.sh PID
set -eu

if [ $# -ne 1 ]; then
  echo "usage: $0 PID" >&2
  exit 2
fi
pid=$1

# The private folder is the server's XDG_RUNTIME_DIR; only a folder made by
# the starting script is removed.
dir=""
if [ -r "/proc/$pid/environ" ]; then
  dir=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^XDG_RUNTIME_DIR=//p')
fi

# Running: it exists and is not a zombie waiting for a parent to reap it.
running() {
  kill -0 "$1" 2>/dev/null || return 1
  state=$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "/proc/$1/status" 2>/dev/null)
  [ "$state" != "Z" ]
}

if kill "$pid" 2>/dev/null; then
  i=0
  while running "$pid" && [ $i -lt 50 ]; do
    sleep 0.1
    i=$((i + 1))
  done
  if running "$pid"; then
    kill -9 "$pid" 2>/dev/null || true
  fi
fi

case "$dir" in
  */zovedu-pulse.*) [ -f "$dir/server.log" ] && rm -rf "$dir" ;;
esac
exit 0

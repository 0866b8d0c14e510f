#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it into a fresh
# Debian 12 (minbase) with apt, Recommends included, and records there: a
# virtual display, a sound server whose null sink carries a tone, the
# installed /usr/bin/zovedu set to MP3, Alt+F1 to start, Alt+F3 to stop. The
# file must be an MP3 of about three seconds that is not silent.
#
# Runs as root (re-runs itself with sudo). The bootstrap is kept as a tarball
# in /var/cache/zovedu-package-test/, one per week and mirror, and downloaded
# packages beside it, so later runs skip the bootstrap and most downloads.
# Everything mounted lives in a private mount namespace and goes with it.
# ZOVEDU_PACKAGE_TEST_SECONDS (default 900) limits the whole run.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

limit=${ZOVEDU_PACKAGE_TEST_SECONDS:-900}
if ! [[ $limit =~ ^[1-9][0-9]*$ ]]; then
  log "ZOVEDU_PACKAGE_TEST_SECONDS must be a whole number of seconds above 0, not '$limit'"
  exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=ZOVEDU_BUILD,ZOVEDU_PACKAGE_TEST_SECONDS "$0" "$@"
fi
# The time limit: the whole script runs again under timeout, which ends its
# process group when the time is up; the EXIT trap still cleans up.
if [ -z "${ZOVEDU_PACKAGE_TEST_TIMED:-}" ]; then
  status=0
  ZOVEDU_PACKAGE_TEST_TIMED=1 timeout --kill-after=60 "$limit" "$0" "$@" || status=$?
  [ "$status" -eq 124 ] && log "package install test: time limit of $limit s reached"
  exit "$status"
fi

CACHE_DIR=/var/cache/zovedu-package-test
SUITE=bookworm
TESTER=tester
DISPLAY_NUMBER=7
RECORD_SECONDS=3

WORK=""
NS_PID=""

cleanup() {
  local status=$?
  report_unfinished_stage
  # The namespace's first process takes every process and mount inside it along.
  [ -n "$NS_PID" ] && kill -KILL "$NS_PID" 2>/dev/null || true
  if [ -n "$WORK" ] && [ -d "$WORK" ]; then
    # Nothing should be mounted below WORK out here; should anything be, it
    # is unmounted, and the folder stays if that fails (a bound /dev must
    # never be deleted through).
    if findmnt -rn -o TARGET | grep -q "^$WORK/"; then
      findmnt -rn -o TARGET | grep "^$WORK/" | sort -r | xargs -r -n1 umount -l || true
    fi
    if findmnt -rn -o TARGET | grep -q "^$WORK/"; then
      log "mounts below $WORK remain; the folder is left in place"
    else
      rm -rf "$WORK"
    fi
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# The first repository address the host's apt sources give for a suite, in
# the one-line and in the deb822 format; empty when none does.
host_mirror() {
  local suite=$1 files=()
  shopt -s nullglob
  files=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
  local found
  found=$(awk -v want="$suite" '
    $1 == "deb" {
      i = 2
      if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
      if ($(i + 1) == want) { print $i; exit }
    }' "${files[@]}" 2>/dev/null || true)
  if [ -z "$found" ]; then
    files=(/etc/apt/sources.list.d/*.sources)
    [ ${#files[@]} -gt 0 ] && found=$(awk -v want="$suite" '
      BEGIN { RS = ""; FS = "\n" }
      {
        types = ""; uris = ""; suites = ""; enabled = "yes"
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^#/ || !match($i, /^[A-Za-z-]+:/)) continue
          key = tolower(substr($i, 1, RLENGTH - 1)); value = substr($i, RLENGTH + 1)
          if (key == "types") types = value
          else if (key == "uris") uris = value
          else if (key == "suites") suites = value
          else if (key == "enabled") enabled = value
        }
        if (enabled ~ /no/ || types !~ /(^|[ \t])deb([ \t]|$)/) next
        n = split(suites, s, /[ \t]+/)
        for (j = 1; j <= n; j++) {
          if (s[j] != want) continue
          m = split(uris, u, /[ \t]+/)
          for (k = 1; k <= m; k++) if (u[k] != "") { print u[k]; exit }
        }
      }' "${files[@]}")
  fi
  shopt -u nullglob
  printf '%s' "$found"
}

# The package, from the build folder; DEB is its path.
build_package() {
  [ -f "$ZOVEDU_BUILD/build.ninja" ] || build_all
  local out
  out=$(cd "$ZOVEDU_BUILD" && cpack -G DEB 2>&1) || { printf '%s\n' "$out" >&2; return 1; }
  DEB=$(printf '%s\n' "$out" | sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' | tail -1)
  [ -f "$DEB" ] || { printf '%s\n' "$out" >&2; log "cpack named no package"; return 1; }
  log "package: $DEB"
  dpkg-deb --field "$DEB" Package Version Depends Recommends >&2
}

# Errors and warnings fail the run; notes are shown.
run_lintian() {
  lintian --fail-on error,warning "$DEB" >&2
}

# Runs "$@" holding the cache's lock: runs at the same time take turns at
# making the tarball and at apt's download folder.
with_cache_lock() {
  local fd
  exec {fd}>"$CACHE_DIR/lock"
  flock "$fd"
  # A plain command, so that errexit still stops inside it.
  "$@"
  exec {fd}>&-
}

# A fresh minbase Debian 12 in ROOT: unpacked from this week's tarball, or
# bootstrapped from the host's mirror and kept as that tarball.
bootstrap() {
  MIRROR=$(host_mirror "$SUITE")
  MIRROR=${MIRROR:-http://deb.debian.org/debian}
  SECURITY_MIRROR=$(host_mirror "$SUITE-security")
  local key tarball
  key=$(printf '%s %s' "$MIRROR" "$SECURITY_MIRROR" | md5sum | cut -c1-8)
  tarball=$CACHE_DIR/$SUITE-minbase-$(date -u +%G-W%V)-$key.tar.gz
  mkdir -p "$CACHE_DIR/archives/partial"
  ROOT=$WORK/root
  mkdir -p "$ROOT"
  if [ -f "$tarball" ]; then
    log "bootstrap: $tarball"
    tar -C "$ROOT" -xzf "$tarball"
    return 0
  fi
  log "bootstrap: debootstrap from $MIRROR"
  debootstrap --variant=minbase --cache-dir="$CACHE_DIR/archives" "$SUITE" "$ROOT" "$MIRROR" \
    >"$WORK/debootstrap.log" 2>&1 || { tail -30 "$WORK/debootstrap.log" >&2; return 1; }
  {
    printf 'deb %s %s main\n' "$MIRROR" "$SUITE" "$MIRROR" "$SUITE-updates"
    if [ -n "$SECURITY_MIRROR" ]; then printf 'deb %s %s main\n' "$SECURITY_MIRROR" "$SUITE-security"; fi
  } >"$ROOT/etc/apt/sources.list"
  # Services that packages would start stay stopped in the chroot.
  printf '#!/bin/sh\nexit 101\n' >"$ROOT/usr/sbin/policy-rc.d"
  chmod 755 "$ROOT/usr/sbin/policy-rc.d"
  rm -f "$ROOT"/var/cache/apt/archives/*.deb
  tar -C "$ROOT" -czf "$tarball.part" .
  mv "$tarball.part" "$tarball"
  find "$CACHE_DIR" -maxdepth 1 -name "$SUITE-minbase-*.tar.gz" ! -path "$tarball" -delete
}

# Run inside the private namespaces: the kernel's file systems, the host's
# devices and a fresh /tmp under the chroot, then "$@" in it. The mounts are
# also undone on the way out, though the namespace's end would take them.
in_chroot_mounts() {
  local root=$1
  shift
  # shellcheck disable=SC2064 # the trap keeps this root
  trap "unmount_chroot '$root'" EXIT
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount --make-rslave "$root/dev"
  mount -t sysfs sysfs "$root/sys"
  mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
  "$@"
}

unmount_chroot() {
  local root=$1 m
  for m in var/cache/apt/archives tmp sys dev proc; do
    if mountpoint -q "$root/$m"; then umount -R -l "$root/$m"; fi
  done
}

# In the namespaces: apt installs the package with its Depends and Recommends,
# and what the check needs.
install_step() {
  local root=$1 deb=$2 archives=$3
  mount --bind "$archives" "$root/var/cache/apt/archives"
  cp -L /etc/resolv.conf "$root/etc/resolv.conf"
  cp "$deb" "$root/tmp/"
  # The chroot is thrown away afterwards: dpkg need not sync every file.
  echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive /bin/bash -c '
      set -e
      apt-get update -q
      apt-get install -y -q -o Dpkg::Use-Pty=0 /tmp/zovedu_*.deb xvfb xdotool'
}

install_package() {
  unshare --mount --pid --fork --kill-child --propagation private \
    bash -c "set -euo pipefail; $(declare -f in_chroot_mounts unmount_chroot install_step); in_chroot_mounts \"\$@\"" \
    bash "$ROOT" install_step "$ROOT" "$DEB" "$CACHE_DIR/archives" >"$WORK/install.log" 2>&1 &
  NS_PID=$!
  local status=0
  wait "$NS_PID" || status=$?
  NS_PID=""
  if [ "$status" -ne 0 ]; then
    tail -40 "$WORK/install.log" >&2
    return "$status"
  fi
  grep -E '^(Setting up|Unpacking) zovedu ' "$WORK/install.log" >&2 || true
  # Recommends came along: a sound server to record from.
  chroot "$ROOT" dpkg-query -W -f='${Package} ${Status}\n' zovedu pulseaudio lame >&2
  chroot "$ROOT" dpkg-query -W -f='${Status}' pulseaudio | grep -q 'install ok installed' ||
    { log "pulseaudio (recommended) was not installed"; return 1; }
}

# Runs as the test user in the chroot, without network (so the display's and
# sound server's sockets are private too). Prints the recorded file's path.
record_in_chroot() {
  set -euo pipefail
  local display=$1 seconds=$2
  say() { printf '%s\n' "$*" >&2; }
  # Polls "$@" every 0.1 s for up to $1 seconds.
  wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
      [ "$SECONDS" -lt "$deadline" ] || return 1
      sleep 0.1
    done
  }
  size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
  first_mp3() { compgen -G "$HOME/out/*.mp3" | head -1; }
  recording() { local f; f=$(first_mp3) && [ -n "$f" ] && [ "$(size_of "$f")" -gt 0 ]; }
  encoder_running() { grep -qx lame /proc/[0-9]*/comm 2>/dev/null; }
  program_gone() { ! kill -0 "$1" 2>/dev/null; }

  mkdir -m 700 "$XDG_RUNTIME_DIR"
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
  export DISPLAY=":$display"
  wait_until 30 xdotool getdisplaygeometry >/dev/null 2>&1 ||
    { cat /tmp/xvfb.log >&2; say "Xvfb did not start"; return 1; }

  cat >/tmp/check.pa <<'PA'
load-module module-native-protocol-unix
load-module module-null-sink sink_name=check_sink
load-module module-sine sink=check_sink frequency=440
set-default-sink check_sink
set-default-source check_sink.monitor
PA
  pulseaudio -n -F /tmp/check.pa --exit-idle-time=-1 --daemonize=no >/tmp/pulse.log 2>&1 &
  local pulse=$!
  wait_until 30 test -S "$XDG_RUNTIME_DIR/pulse/native" ||
    { cat /tmp/pulse.log >&2; say "pulseaudio did not start"; return 1; }

  /usr/bin/zovedu >/tmp/zovedu.log 2>&1 &
  local program=$!
  timeout 60 xdotool search --sync --onlyvisible --name '^Zovedu' >/dev/null ||
    { cat /tmp/zovedu.log >&2; say "the window did not appear within 60 s"; return 1; }
  say "window shown"

  # The key grab may be made a moment after the window shows: Alt+F1 again
  # when ten seconds bring no recording, three times at most.
  local presses=0
  until [ "$presses" -eq 3 ] || { xdotool key alt+F1; presses=$((presses + 1)); wait_until 10 recording; }; do :; done
  recording ||
    { cat /tmp/zovedu.log >&2; say "Alt+F1 started no MP3 recording within 30 s"; return 1; }
  [ "$presses" -eq 1 ] || say "Alt+F1 pressed $presses times"
  # Three seconds from the first bytes on, and the file keeps growing.
  local file first start=$SECONDS
  file=$(first_mp3)
  first=$(size_of "$file")
  sleep "$seconds"
  say "recording for ${seconds}s, $first -> $(size_of "$file") bytes"
  [ "$(size_of "$file")" -gt "$first" ] || { say "$file did not grow"; return 1; }

  xdotool key alt+F3
  wait_until 30 eval '! encoder_running' ||
    { cat /tmp/zovedu.log >&2; say "Alt+F3 did not end the recording within 30 s"; return 1; }
  say "stopped after $((SECONDS - start))s"
  kill -TERM "$program"
  wait_until 30 program_gone "$program" || { say "zovedu did not end on SIGTERM"; return 1; }
  kill -TERM "$pulse" 2>/dev/null || true
  printf '%s\n' "$file"
}

record_step() {
  local root=$1 display=$2 seconds=$3
  mkdir -m 1777 "$root/tmp/.X11-unix"
  chroot --userspec="$TESTER_IDS" "$root" /usr/bin/env -i PATH=/usr/bin:/bin LANG=C.UTF-8 \
    HOME="/home/$TESTER" USER="$TESTER" XDG_RUNTIME_DIR="/tmp/runtime-$TESTER" \
    /bin/bash -c "$(declare -f record_in_chroot); record_in_chroot $display $seconds"
}

# The test user's settings: MP3, recordings into ~/out.
prepare_user() {
  chroot "$ROOT" id "$TESTER" >/dev/null 2>&1 || chroot "$ROOT" useradd -m -s /bin/bash "$TESTER"
  local home=$ROOT/home/$TESTER
  mkdir -p "$home/Documents/ridi" "$home/.config" "$home/out"
  printf 'XDG_DOCUMENTS_DIR="$HOME/Documents"\n' >"$home/.config/user-dirs.dirs"
  printf '[Main]\nFormat=1\n[OutPut]\nFolder=/home/%s/out/\n' "$TESTER" >"$home/Documents/ridi/ridi.ini"
  chroot "$ROOT" chown -R "$TESTER:$TESTER" "/home/$TESTER"
  TESTER_IDS=$(chroot "$ROOT" id -u "$TESTER"):$(chroot "$ROOT" id -g "$TESTER")
}

record_with_hotkeys() {
  prepare_user
  unshare --mount --pid --net --fork --kill-child --propagation private \
    bash -c "set -euo pipefail; TESTER=$TESTER; TESTER_IDS=$TESTER_IDS; $(declare -f in_chroot_mounts unmount_chroot record_step record_in_chroot); in_chroot_mounts \"\$@\"" \
    bash "$ROOT" record_step "$ROOT" "$DISPLAY_NUMBER" "$RECORD_SECONDS" >"$WORK/recorded" 2>"$WORK/record.log" &
  NS_PID=$!
  local status=0
  wait "$NS_PID" || status=$?
  NS_PID=""
  cat "$WORK/record.log" >&2
  [ "$status" -eq 0 ] || return "$status"
  RECORDED=$ROOT$(tail -1 "$WORK/recorded")
  [ -f "$RECORDED" ] || { log "no recorded file"; return 1; }
}

# An MP3 of about RECORD_SECONDS that carries the tone.
probe_recording() {
  local codec duration volume
  codec=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of default=nw=1:nk=1 "$RECORDED")
  duration=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$RECORDED")
  volume=$(ffmpeg -hide_banner -nostats -i "$RECORDED" -af volumedetect -f null - 2>&1 |
    sed -n 's/.*mean_volume: \(-\?[0-9.]*\) dB.*/\1/p')
  log "recorded $(basename "$RECORDED"): codec $codec, ${duration}s, mean volume ${volume} dB"
  [ "$codec" = mp3 ] || { log "not an MP3"; return 1; }
  awk -v d="$duration" -v s="$RECORD_SECONDS" 'BEGIN { exit !(d >= s - 0.5 && d <= s + 3) }' ||
    { log "the recording should last about ${RECORD_SECONDS}s"; return 1; }
  awk -v v="$volume" 'BEGIN { exit !(v != "" && v > -40) }' || { log "the recording is silent"; return 1; }
}

mkdir -p "$CACHE_DIR"
WORK=$(mktemp -d /var/tmp/zovedu-package-test.XXXXXX)
started=$(now_us)
run_stage "package (cpack)" build_package
run_stage "lintian" run_lintian
run_stage "bootstrap" with_cache_lock bootstrap
run_stage "install in fresh system" with_cache_lock install_package
run_stage "record with hotkeys" record_with_hotkeys
run_stage "probe recording" probe_recording
log "$(printf '[time] %-26s %s' "package install total" "$(format_us $(($(now_us) - started)))")"

# Shared by scripts/run and scripts/test: packages, build, virtual display.
# Source it; it defines functions only.

ZOVEDU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZOVEDU_BUILD=${ZOVEDU_BUILD:-$ZOVEDU_ROOT/build}

ZOVEDU_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libpulse-dev pulseaudio pulseaudio-utils
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libfftw3-dev libtag1-dev
  lame vorbis-tools flac wavpack speex musepack-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  sox ffmpeg xvfb xdotool x11-utils xauth
)

log() { printf '%s\n' "$*" >&2; }

# Installs whatever of the packages is missing.
ensure_packages() {
  local missing=()
  local p
  for p in "${ZOVEDU_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build_all() {
  cmake -S "$ZOVEDU_ROOT" -B "$ZOVEDU_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  ninja -C "$ZOVEDU_BUILD" -j"$(nproc)"
}

pulse_running() { pactl info >/dev/null 2>&1; }

# Starts Xvfb on a free display and exports DISPLAY; sets XVFB_PID.
start_xvfb() {
  local n=99
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  log "Xvfb did not start on :$n"
  return 1
}

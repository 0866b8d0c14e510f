# Shared by scripts/run and scripts/test: packages, build, virtual display,
# timed stages. Source it; it defines functions only.

ZOVEDU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZOVEDU_BUILD=${ZOVEDU_BUILD:-$ZOVEDU_ROOT/build}

ZOVEDU_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev libgl-dev
  libpulse-dev pulseaudio pulseaudio-utils
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libfftw3-dev libtag1-dev libspeex-dev libspeexdsp-dev libogg-dev
  lame vorbis-tools flac wavpack speex musepack-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  sox ffmpeg xvfb xdotool x11-utils xauth locales
  alsa-utils xdg-utils
  id3v2 python3-mutagen clang libclang-rt-14-dev
  systemd tzdata
  dbus at-spi2-core python3-pyatspi
  libxcb1-dev libxcb-keysyms1-dev libxcb-xkb-dev icewm xbindkeys
  debootstrap lintian desktop-file-utils appstream dpkg-dev fakeroot file librsvg2-bin
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

# Configures and builds everything. Compiles through ccache when it is there
# (its cache stays in ccache's default place), so a rebuild after a fresh
# checkout or a cleared build folder reuses earlier results. With CI=true
# warnings stop the build, unless the first argument is --warnings-allowed.
build_all() {
  local launcher="" werror=OFF
  command -v ccache >/dev/null 2>&1 && launcher=ccache
  [ "${CI:-}" = true ] && [ "${1:-}" != --warnings-allowed ] && werror=ON
  # An empty launcher also clears one an earlier configure left in the cache;
  # the warning setting is passed every time for the same reason.
  cmake -S "$ZOVEDU_ROOT" -B "$ZOVEDU_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" -DZOVEDU_WERROR="$werror" >/dev/null
  ninja -C "$ZOVEDU_BUILD" -j"$(nproc)"
}

# Builds the tag fuzz targets with clang beside the main build and runs each
# for ZOVEDU_FUZZ_SECONDS seconds (default 20); an input that fails is kept in
# tests/tags_fuzz_inputs/, where the replay test finds it.
run_fuzz() {
  ZOVEDU_FUZZ_SECONDS=${ZOVEDU_FUZZ_SECONDS:-20} ZOVEDU_BUILD="$ZOVEDU_BUILD" \
    ZOVEDU_FUZZ_BUILD="$ZOVEDU_BUILD-fuzz" "$ZOVEDU_ROOT/fuzz/run.sh"
}

# Microseconds since the epoch; digits only, whatever the locale's decimal point.
now_us() { printf '%s' "${EPOCHREALTIME//[!0-9]/}"; }

# Microseconds as seconds with one decimal.
format_us() { printf '%d.%d s' $(($1 / 1000000)) $(($1 % 1000000 / 100000)); }

# Runs one stage ("$@") and prints how long it took. The command runs as a
# plain command, never as a condition, so that errexit still stops the script
# at a failing step inside it; an EXIT trap can then name the stage with
# report_unfinished_stage.
run_stage() {
  ZOVEDU_STAGE=$1
  shift
  ZOVEDU_STAGE_START=$(now_us)
  "$@"
  log "$(printf '[time] %-26s %s' "$ZOVEDU_STAGE" "$(format_us $(($(now_us) - ZOVEDU_STAGE_START)))")"
  ZOVEDU_STAGE=""
}

# For an EXIT trap: names the stage that did not finish, and after how long.
report_unfinished_stage() {
  [ -n "${ZOVEDU_STAGE:-}" ] || return 0
  log "[time] $ZOVEDU_STAGE failed after $(format_us $(($(now_us) - ZOVEDU_STAGE_START)))"
}

pulse_running() { pactl info >/dev/null 2>&1; }

# Without a session's runtime folder, /tmp/runtime-$USER stands in and is
# exported: Qt then has nothing to warn about, and a later "zovedu --stop"
# from another shell finds the instance socket in the same place. The folder
# must be the user's own real folder; anything else is refused.
ensure_runtime_dir() {
  [ -n "${XDG_RUNTIME_DIR:-}" ] && return 0
  local user dir
  user=${USER:-$(id -un)}
  dir=/tmp/runtime-$user
  mkdir -m 0700 "$dir" 2>/dev/null || true
  if [ -L "$dir" ] || [ ! -d "$dir" ]; then
    log "XDG_RUNTIME_DIR is not set and $dir is not a plain folder (a link or a file): remove it or set XDG_RUNTIME_DIR."
    return 1
  fi
  if [ "$(stat -c %u "$dir")" != "$(id -u)" ]; then
    log "XDG_RUNTIME_DIR is not set and $dir belongs to another user: remove it or set XDG_RUNTIME_DIR."
    return 1
  fi
  chmod 0700 "$dir"
  export XDG_RUNTIME_DIR=$dir
}

# Starts Xvfb on a free display and exports DISPLAY; sets XVFB_PID.
start_xvfb() {
  local numfile n="" i
  numfile=$(mktemp)
  # Xvfb picks a free display itself and writes its number once it takes
  # clients, so two starts at once never race for one number. A session of
  # its own: a Ctrl+C in the terminal reaches the program, which still needs
  # the display while it completes a recording and saves.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  for i in $(seq 1 200); do
    if [ "$(wc -l <"$numfile")" -ge 1 ]; then
      n=$(head -n 1 "$numfile")
      break
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numfile"
  if [[ $n =~ ^[0-9]+$ ]]; then
    export DISPLAY=":$n"
    return 0
  fi
  log "Xvfb did not start"
  return 1
}

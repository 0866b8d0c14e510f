#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/CMakeLists.txt, with clang) and runs each
# for ZOVEDU_FUZZ_SECONDS seconds (default 20). Each corpus starts from the
# inputs kept in tests/tags_fuzz_inputs/<target>/ and fresh seed files
# (make_seeds.sh). An input that crashes, leaks, hangs or takes too much memory
# is copied into tests/tags_fuzz_inputs/<target>/, where the replay test keeps
# failing on it until the code is mended, and the script exits 1.
# Arguments: the targets to run (default all). ZOVEDU_FUZZ_BUILD: the build
# folder (default build-fuzz). ZOVEDU_BUILD: the main build, for its MAC.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${ZOVEDU_FUZZ_SECONDS:-20}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "ZOVEDU_FUZZ_SECONDS must be a whole number of seconds above 0, not '$seconds'" >&2
  exit 2
fi
build=${ZOVEDU_FUZZ_BUILD:-$root/build-fuzz}
inputs=$root/tests/tags_fuzz_inputs

launcher=""
command -v ccache >/dev/null 2>&1 && launcher=ccache
# No build type: the flags are the ones fuzz/CMakeLists.txt sets.
CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE= \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" >/dev/null
exes=()
for name in "$@"; do exes+=("fuzz_$name"); done
ninja -C "$build" -j"$(nproc)" --quiet "${exes[@]}" >&2

# Scratch space in memory when there is some: corpora, seeds, the files the
# writer targets save, and what the fuzzer finds.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$shm/zovedu-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
"$root/fuzz/make_seeds.sh" "$scratch/seeds"

# Longest input per target: a comment body for vorbis_comment, a short tagged
# audio file for the rest.
max_len() {
  case $1 in
    vorbis_comment) echo 16384 ;;
    *) echo 65536 ;;
  esac
}

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for exe in "$build"/fuzz_*; do
    [ -x "$exe" ] && names+=("${exe##*/fuzz_}")
  done
fi

failed=()
for name in "${names[@]}"; do
  exe=$build/fuzz_$name
  corpus=$scratch/corpus/$name
  found=$scratch/found/$name
  mkdir -p "$corpus" "$found" "$scratch/files"
  # New inputs go to the first folder only, so the kept ones stay as they are.
  dirs=("$corpus")
  [ -d "$inputs/$name" ] && dirs+=("$inputs/$name")
  [ -d "$scratch/seeds/$name" ] && dirs+=("$scratch/seeds/$name")
  log=$scratch/$name.log
  rc=0
  ZOVEDU_FUZZ_SCRATCH=$scratch/files "$exe" -max_total_time="$seconds" -max_len="$(max_len "$name")" \
    -timeout=10 -rss_limit_mb=512 -malloc_limit_mb=64 -print_final_stats=1 \
    -artifact_prefix="$found/" "${dirs[@]}" >"$log" 2>&1 || rc=$?
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  kept=()
  for f in "$found"/crash-* "$found"/leak-* "$found"/timeout-* "$found"/oom-*; do
    [ -e "$f" ] || continue
    if [ -e "$inputs/$name/${f##*/}" ]; then
      kept+=("tests/tags_fuzz_inputs/$name/${f##*/} (kept before, still fails)")
    else
      mkdir -p "$inputs/$name"
      cp "$f" "$inputs/$name/"
      kept+=("tests/tags_fuzz_inputs/$name/${f##*/}")
    fi
  done
  if [ "$rc" -ne 0 ] || [ ${#kept[@]} -gt 0 ]; then
    printf '%-18s FAILED (exit %d) %s exec/s\n' "$name" "$rc" "${rate:-?}" >&2
    grep -v -E '^#[0-9]+|^INFO:|^"|^ +#[0-9]+ .* in (fuzzer::|main|_start|__libc)' "$log" | tail -n 50 >&2 || true
    for k in "${kept[@]}"; do echo "  kept $k" >&2; done
    failed+=("$name")
  else
    printf '%-18s ok %s exec/s\n' "$name" "${rate:-?}" >&2
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets failed: ${failed[*]}" >&2
  exit 1
fi

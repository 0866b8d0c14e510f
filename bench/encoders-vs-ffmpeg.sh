#!/bin/bash
# CPU time and output size of the encoders the recorder starts, next to ffmpeg
# encoding the same audio to the same format:
#   bench/encoders-vs-ffmpeg.sh [seconds]
# Each of our encoders gets the stream the recorder writes into it: a 44-byte
# WAV header with unknown (0xFFFFFFFF) sizes, then PCM until end of input.
# The encoders are taken from $ZOVEDU_BUILD_DIR/out/bin (default: build).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
bin=${ZOVEDU_BUILD_DIR:-$root/build}/out/bin
seconds=${1:-${ZOVEDU_BENCH_SECONDS:-60}}

for tool in sox ffmpeg /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done
[ -d "$bin" ] || { echo "$0: $bin not found (ninja lame oggenc2 flac ...)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/encoders-vs-ffmpeg.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
export LC_ALL=C

# Stereo 44.1 kHz 16-bit: two slowly swelling chords over tremolo pink noise.
# -R keeps the noise the same from run to run.
sox -R -n -t raw -r 44100 -c 2 -b 16 -e signed "$work/pcm" \
  synth "$seconds" sine 220 sine 277.18 \
  synth "$seconds" sine mix 329.63 sine mix 440 \
  synth "$seconds" pinknoise mix tremolo 3 40 \
  synth "$seconds" sine amod 0.5 sine amod 0.5 \
  gain -n -3
# The recorder's streaming header: PCM, 2 channels, 44100 Hz, 176400 bytes/s,
# 4-byte frames, 16 bits, RIFF and data sizes left at 0xFFFFFFFF.
{
  printf 'RIFF\xff\xff\xff\xffWAVEfmt \x10\x00\x00\x00\x01\x00\x02\x00'
  printf '\x44\xac\x00\x00\x10\xb1\x02\x00\x04\x00\x10\x00data\xff\xff\xff\xff'
  cat "$work/pcm"
} >"$work/stream.wav"
# ffmpeg reads an ordinary WAV of the same samples.
sox -t raw -r 44100 -c 2 -b 16 -e signed "$work/pcm" "$work/in.wav"
rm "$work/pcm"

failed=0

# measure OUT INPUT CMD...: runs CMD with INPUT piped into it, as the recorder
# feeds its encoders; prints "<cpu seconds> <bytes of OUT>", or "- -" on failure.
measure() {
  local out=$1 input=$2; shift 2
  rm -f "$out"
  if cat "$input" | /usr/bin/time -f '%U %S' -o "$work/time" "$@" >"$work/log" 2>&1 && [ -s "$out" ]; then
    awk -v bytes="$(stat -c %s "$out")" 'END { print $1 + $2, bytes }' "$work/time"
  else
    echo "$0: failed: $*" >&2
    sed 's/^/  /' "$work/log" >&2
    echo "- -"
  fi
}

ffmpeg_cmd() { echo ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/in.wav"; }

printf '%s s of audio; CPU = user+sys seconds per second of audio, size = bytes per second of audio\n\n' "$seconds"
printf '%-5s %10s %10s %12s %12s %10s\n' format "ours CPU" "ours size" "ffmpeg CPU" "ffmpeg size" "CPU ratio"

# row FORMAT "OUR COMMAND" "FFMPEG OPTIONS" (either may be "-" for none);
# @OUT stands for the output file.
row() {
  local fmt=$1 ours=$2 theirs=$3 ext o_cpu=- o_size=- f_cpu=- f_size=- ratio=-
  ext=$(echo "$fmt" | tr 'A-Z' 'a-z')
  if [ "$ours" != - ]; then
    read -r o_cpu o_size < <(measure "$work/ours.$ext" "$work/stream.wav" ${ours//@OUT/$work/ours.$ext})
    [ "$o_cpu" != - ] || failed=1
  fi
  if [ "$theirs" != - ]; then
    read -r f_cpu f_size < <(measure "$work/ffmpeg.$ext" /dev/null $(ffmpeg_cmd) $theirs "$work/ffmpeg.$ext")
    [ "$f_cpu" != - ] || failed=1
  fi
  awk -v s="$seconds" -v f="$fmt" -v oc="$o_cpu" -v ob="$o_size" -v fc="$f_cpu" -v fb="$f_size" '
    function per(x, p) { return x == "-" ? "n/a" : sprintf(p, x / s) }
    BEGIN {
      ratio = (oc == "-" || fc == "-") ? "n/a" : (fc > 0 ? sprintf("%.2f", oc / fc) : "inf")
      printf "%-5s %10s %10s %12s %12s %10s\n", f, per(oc, "%.4f"), per(ob, "%.0f"), per(fc, "%.4f"), per(fb, "%.0f"), ratio
    }'
  rm -f "$work/ours.$ext" "$work/ffmpeg.$ext"
}

# Our command lines are the recorder's, with default options.
row MP3  "$bin/lame --preset standard - @OUT"                  "-c:a libmp3lame -q:a 2"
row OGG  "$bin/oggenc2 -q 2.75 - -o @OUT"                      "-c:a libvorbis -q:a 2.75"
row FLAC "$bin/flac -f --compression-level-5 -o @OUT -"        "-c:a flac -compression_level 5"
row TTA  "$bin/ttaenc -e - -o @OUT"                            "-c:a tta"
row WV   "$bin/wavpack -j1 -i - @OUT"                          "-c:a wavpack"
row AAC  "$bin/FAAC -q 100 -o @OUT -"                          "-c:a aac -q:a 1"
row MPC  "$bin/mppenc --silent --overwrite --standard - @OUT" -
row SPX  "$bin/speexenc --bitrate 32 --quality 8 -u - @OUT"    "-c:a libspeex -ar 32000 -b:a 32k"
# The recorder writes WMA in-process with the same wmav2 encoder; ffmpeg's
# figure is the reference for it.
row WMA  -                                                     "-c:a wmav2 -b:a 128k"
if [ -x "$bin/MAC" ]; then
  row APE "$bin/MAC - @OUT -c3000" -
else
  printf '%-5s %s\n' APE "missing: $bin/MAC not built"
fi

printf '\nn/a: MPC has no ffmpeg encoder; WMA is encoded in-process (same wmav2 encoder as ffmpeg).\n'
# ffmpeg's own start-up is a fixed cost inside each of its figures above.
/usr/bin/time -f '%U %S' -o "$work/time" $(ffmpeg_cmd) -t 0 -f null - >/dev/null 2>&1 || true
awk '{ printf "ffmpeg start-up alone: %.2f CPU s per run (included above)\n", $1 + $2 }' "$work/time"
exit $failed

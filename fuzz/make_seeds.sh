#!/usr/bin/env bash
# Writes small valid seed files for the fuzz targets into $1/<target>/: short
# tones encoded by the installed tools, tagged in each way the readers know.
# A tool that is missing only leaves its seeds out. MAC (our APE encoder) is
# taken from $ZOVEDU_BUILD/out/bin when it has been built.
set -euo pipefail
out=$1
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

have() { command -v "$1" >/dev/null 2>&1; }
# put <file> <target>...: copies the file into each target's folder.
put() {
  local file=$1 t
  shift
  [ -s "$file" ] || return 0
  for t in "$@"; do
    mkdir -p "$out/$t"
    cp "$file" "$out/$t/seed-$file"
  done
}

# Debian's python3-mutagen is for the system interpreter, which another
# python3 earlier in PATH may hide.
py=python3
[ -x /usr/bin/python3 ] && py=/usr/bin/python3

have sox || { echo "make_seeds: sox is missing, no seed files" >&2; exit 0; }
sox -n -r 8000 -c 1 -b 16 tone8k.wav synth 0.25 sine 440
sox -n -r 44100 -c 1 -b 16 tone44k.wav synth 0.1 sine 440

# MPEG audio with ID3v1, ID3v2 and APE tags.
if have lame; then
  lame --silent -b 8 -m m tone8k.wav plain.mp3
  if have id3v2; then
    cp plain.mp3 v23.mp3
    id3v2 -2 -t "Title" -a "Artist" -A "Album" -y 2024 -T 3/12 -g 17 -c "A comment" v23.mp3
    cp plain.mp3 v1.mp3
    id3v2 -1 -t "Title" -a "Artist" -A "Album" -y 2024 -T 3 -g 17 -c "A comment" v1.mp3
  fi
  if "$py" -c 'import mutagen' 2>/dev/null; then
    "$py" - <<'PY'
import shutil, struct
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TCON, COMM, APIC, TXXX, USLT
from mutagen.apev2 import APEv2, APEValue, BINARY

shutil.copy("plain.mp3", "v24.mp3")
t = ID3()
t.add(TIT2(encoding=3, text="Tïtle ✓"))
t.add(TPE1(encoding=1, text="Ärtist"))
t.add(TALB(encoding=0, text="Album"))
t.add(TCON(encoding=3, text="(17)"))
t.add(COMM(encoding=3, lang="eng", desc="", text="comment"))
t.add(TXXX(encoding=3, desc="mood", text="calm"))
t.add(USLT(encoding=3, lang="eng", desc="", text="la la"))
t.add(APIC(encoding=0, mime="image/png", type=3, desc="", data=b"\x89PNG\r\n\x1a\n" + bytes(40)))
t.save("v24.mp3", v2_version=4)

def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])

# Version 2.2: three-character frame ids and sizes.
frames = b""
for fid, text in ((b"TT2", b"\x00Old title"), (b"TP1", b"\x00Old artist"), (b"TRK", b"\x007")):
    frames += fid + struct.pack(">I", len(text))[1:] + text
frames += bytes(20)
with open("plain.mp3", "rb") as f:
    audio = f.read()
with open("v22.mp3", "wb") as f:
    f.write(b"ID3\x02\x00\x00" + syncsafe(len(frames)) + frames + audio)

def id3v1(title):
    tag = b"TAG" + title.ljust(30, b"\0")[:30] + b"Artist".ljust(30, b"\0") + b"Album".ljust(30, b"\0")
    return tag + b"2024" + b"comment".ljust(28, b"\0") + b"\0\x05" + b"\x11"

# A Lyrics3 version 2 block with the long title, in front of ID3v1.
title = b"A title that is longer than thirty characters"
fields = b"IND00002" + b"10" + b"ETT" + b"%05d" % len(title) + title + b"LYR00011" + b"[00:01]la la"[:11]
block = b"LYRICSBEGIN" + fields
with open("lyrics3.mp3", "wb") as f:
    f.write(audio + block + b"%06d" % len(block) + b"LYRICS200" + id3v1(title[:30]))

for name, with_v1 in (("ape.mp3", False), ("ape_id3v1.mp3", True)):
    shutil.copy("plain.mp3", name)
    a = APEv2()
    a["Title"] = "Ape title ✓"
    a["Artist"] = "Ape artist"
    a["Track"] = "4"
    a["Cover Art (Front)"] = APEValue(b"cover.png\0" + bytes(16), BINARY)
    a.save(name)
    if with_v1:
        with open(name, "ab") as f:
            f.write(id3v1(b"Title"))
PY
  fi
  put plain.mp3 mpeg_audio
  put v1.mp3 id3v1 id3v1_roundtrip mpeg_audio
  put lyrics3.mp3 id3v1 id3v1_roundtrip mpeg_audio
  put v22.mp3 id3v2 id3v2_roundtrip
  put v23.mp3 id3v2 id3v2_roundtrip mpeg_audio
  put v24.mp3 id3v2 id3v2_roundtrip mpeg_audio
  put ape.mp3 ape ape_roundtrip
  put ape_id3v1.mp3 ape ape_roundtrip id3v1 id3v1_roundtrip mpeg_audio
fi

# Vorbis comment bodies: duplicates, a fallback name, a track with a total.
"$py" - <<'PY'
import struct
def body(vendor, items):
    b = struct.pack("<I", len(vendor)) + vendor + struct.pack("<I", len(items))
    for i in items:
        b += struct.pack("<I", len(i)) + i
    return b
with open("comment1.bin", "wb") as f:
    f.write(body(b"Vendor", [b"TITLE=One", b"ARTIST=Two", b"TRACKNUMBER=5/12", b"DATE=2024"]))
with open("comment2.bin", "wb") as f:
    f.write(body(b"", [b"title=", b"TITLE=second", b"PERFORMER=p", b"DESCRIPTION=d", b"noequals"]))
PY
put comment1.bin vorbis_comment
put comment2.bin vorbis_comment

if have oggenc; then
  oggenc -Q -q 0 tone8k.wav -o plain.ogg
  oggenc -Q -q 0 -t "Title" -a "Artist" -l "Album" -N 3 -c "DESCRIPTION=d" tone8k.wav -o tagged.ogg
  put plain.ogg ogg ogg_roundtrip
  put tagged.ogg ogg ogg_roundtrip
fi

if have flac; then
  flac -s -T "TITLE=Title" -T "ARTIST=Artist" -T "TRACKNUMBER=2" -o tagged.flac tone8k.wav
  flac -s --no-padding -o nopad.flac tone8k.wav
  [ -s v22.mp3 ] && head -c 60 v22.mp3 | "$py" -c '
import sys
tag = sys.stdin.buffer.read()
size = ((tag[6] << 21) | (tag[7] << 14) | (tag[8] << 7) | tag[9]) + 10
sys.stdout.buffer.write(tag[:size] + open("nopad.flac", "rb").read())' >id3.flac
  put tagged.flac flac flac_roundtrip
  put nopad.flac flac flac_roundtrip
  put id3.flac flac flac_roundtrip
fi

if have ffmpeg; then
  ffmpeg -loglevel error -i tone8k.wav -c:a aac -b:a 16k -f adts plain.aac
  put plain.aac aac
  [ -s v23.mp3 ] && [ -s plain.aac ] && "$py" -c '
import sys
tag = open("v23.mp3", "rb").read()
size = ((tag[6] << 21) | (tag[7] << 14) | (tag[8] << 7) | tag[9]) + 10
sys.stdout.buffer.write(tag[:size] + open("plain.aac", "rb").read())' >id3.aac
  put id3.aac aac
fi

# Files with an APE tag at the end get it from mutagen.
ape_tag() {
  "$py" -c 'import sys
from mutagen.apev2 import APEv2
a = APEv2(); a["Title"] = "Title"; a["Artist"] = "Artist"; a.save(sys.argv[1])' "$1" 2>/dev/null || true
}

if have mpcenc; then
  mpcenc --silent --thumb tone44k.wav plain.mpc 2>/dev/null || true
  if [ -s plain.mpc ]; then
    cp plain.mpc tagged.mpc && ape_tag tagged.mpc
  fi
  put plain.mpc mpeg_plus
  put tagged.mpc mpeg_plus ape ape_roundtrip
fi

mac=${ZOVEDU_BUILD:-}/out/bin/MAC
if [ -n "${ZOVEDU_BUILD:-}" ] && [ -x "$mac" ]; then
  "$mac" tone44k.wav plain.ape -c2000 >/dev/null 2>&1 || true
  if [ -s plain.ape ]; then
    cp plain.ape tagged.ape && ape_tag tagged.ape
  fi
  put plain.ape monkey
  put tagged.ape monkey
fi

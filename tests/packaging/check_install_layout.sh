#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR under /usr and compares the tree
# with what the package has to hold: the program in libexec with every
# encoder of the build's bin/ beside it and its codec module, /usr/bin/zovedu a relative link that
# resolves to it, the launcher, description, icons, manual page and package
# documents, and nothing else (no test programs, no other libraries, no headers).
# Usage: check_install_layout.sh <build folder>
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

DESTDIR=$stage cmake --install "$build" --prefix /usr >"$stage.log" 2>&1 || {
  cat "$stage.log" >&2; rm -f "$stage.log"; fail "cmake --install failed"; }
rm -f "$stage.log"
root=$stage/usr
app=org.zovedu.Zovedu

expected=(
  bin/zovedu
  libexec/zovedu/zovedu
  libexec/zovedu/zovedu-codecs.so
  "share/applications/$app.desktop"
  "share/metainfo/$app.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$app.svg"
  share/man/man1/zovedu.1.gz
  share/doc/zovedu/copyright
  share/doc/zovedu/changelog.Debian.gz
  share/lintian/overrides/zovedu
)
sizes=(16 22 24 32 48 64 128 256)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/$app.png"); done
encoders=()
for f in "$build"/out/bin/*; do
  [ -f "$f" ] && [ -x "$f" ] && encoders+=("$(basename "$f")")
done
[ ${#encoders[@]} -ge 5 ] || fail "the build's bin/ holds only ${#encoders[@]} programs"
for e in "${encoders[@]}"; do expected+=("libexec/zovedu/bin/$e"); done

# Every file and link, exactly.
diff <(printf '%s\n' "${expected[@]}" | sort) \
     <(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort) ||
  fail "installed tree differs from the expected one (< missing, > unexpected)"

# The link is relative and reaches the program.
[ -L "$root/bin/zovedu" ] || fail "bin/zovedu is not a symbolic link"
[ "$(readlink "$root/bin/zovedu")" = ../libexec/zovedu/zovedu ] ||
  fail "bin/zovedu points to $(readlink "$root/bin/zovedu")"
[ "$(readlink -f "$root/bin/zovedu")" = "$(readlink -f "$root/libexec/zovedu/zovedu")" ] ||
  fail "bin/zovedu does not resolve to the program"

# Programs are executable ELF files, everything else plain readable data.
for p in libexec/zovedu/zovedu "${encoders[@]/#/libexec/zovedu/bin/}"; do
  [ "$(stat -c %a "$root/$p")" = 755 ] || fail "$p has mode $(stat -c %a "$root/$p")"
  head -c4 "$root/$p" | grep -q $'^\x7fELF' || fail "$p is not an ELF program"
done
p=libexec/zovedu/zovedu-codecs.so
[ "$(stat -c %a "$root/$p")" = 644 ] || fail "$p has mode $(stat -c %a "$root/$p")"
head -c4 "$root/$p" | grep -q $'^\x7fELF' || fail "$p is not an ELF file"
while IFS= read -r f; do
  [ "$(stat -c %a "$f")" = 644 ] || fail "${f#"$root"/} has mode $(stat -c %a "$f")"
done < <(find "$root/share" -type f)

# Each rendered icon has its folder's size.
for s in "${sizes[@]}"; do
  png=$root/share/icons/hicolor/${s}x${s}/apps/$app.png
  file -b "$png" | grep -q "PNG image data, $s x $s," || fail "$png: $(file -b "$png")"
done

# The compressed documents are stored without name and time stamp.
for gz in share/man/man1/zovedu.1.gz share/doc/zovedu/changelog.Debian.gz; do
  gzip -t "$root/$gz" || fail "$gz is not gzip data"
  [ "$(od -An -tu4 -j4 -N4 "$root/$gz" | tr -d ' ')" = 0 ] || fail "$gz carries a time stamp"
  [ $(($(od -An -tu1 -j3 -N1 "$root/$gz") & 8)) -eq 0 ] || fail "$gz carries a file name"
done

# Started through the link, the installed program runs.
out=$("$root/bin/zovedu" --help) || fail "bin/zovedu --help ended with status $?"
grep -q '^Usage: zovedu' <<<"$out" || fail "bin/zovedu --help printed: $out"
echo "installed tree as expected: ${#expected[@]} files, encoders: ${encoders[*]}"

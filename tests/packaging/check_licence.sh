#!/bin/sh
# The project's licence, GPL-3.0-or-later, stands everywhere a distribution
# reads it: the LICENSE file, the package's machine-readable copyright file
# and the software centre's description.
set -eu
root=$1
fail() { echo "licence: $*" >&2; exit 1; }
grep -q 'either version 3 of the License, or (at your option)' "$root/LICENSE" || fail "LICENSE does not grant GPL 3 or later"
grep -q '^SPDX-License-Identifier: GPL-3.0-or-later$' "$root/LICENSE" || fail "LICENSE names no SPDX identifier"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' "$root/data/copyright" ||
  fail "data/copyright is not in Debian's machine-readable format"
grep -q '^License: GPL-3+$' "$root/data/copyright" || fail "data/copyright does not license the files GPL-3+"
grep -q '/usr/share/common-licenses/GPL-3' "$root/data/copyright" || fail "data/copyright does not point to the full text"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$root/data/org.zovedu.Zovedu.metainfo.xml" ||
  fail "the metainfo names another licence"
if grep -rqi 'proprietary' "$root/data" "$root/LICENSE"; then fail "something still says proprietary"; fi
echo "licence: GPL-3.0-or-later everywhere"

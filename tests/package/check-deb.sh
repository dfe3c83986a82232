#!/usr/bin/env bash
# The Debian package without installing it: lintian finds no error, it depends on the shared
# libraries its programs use (dpkg-shlibdeps: libgcrypt among them), its programs run from an
# unpacked root (--version gives the project's version; a --simulate download writes the demo
# file; its report shows the file's SHA-256 as sha256sum gives it), and every man page renders.
# Usage: check-deb.sh <package.deb> <version> <golden demo.csv> <work dir>
set -euo pipefail
deb=$1 version=$2 golden=$3 work=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work"

case "$(basename "$deb")" in
  "dexal-csv-downloader_${version}_amd64.deb") ;;
  *) fail "package name $(basename "$deb") does not carry version $version" ;;
esac
lintian "$deb" >"$work/lintian.txt" 2>&1 || true
if grep -q '^E:' "$work/lintian.txt"; then fail "lintian: $(grep '^E:' "$work/lintian.txt")"; fi

depends=$(dpkg-deb -f "$deb" Depends)
grep -qE "(^|, )libgcrypt20 " <<<"$depends" || fail "Depends lacks libgcrypt20: $depends"
dpkg-deb -x "$deb" "$work/root"
for program in dexal-download dexal-report dexal-tester-sim; do
  [ -x "$work/root/usr/bin/$program" ] || fail "no /usr/bin/$program in the package"
  printed=$("$work/root/usr/bin/$program" --version)
  [ "$printed" = "$program $version" ] || fail "$program --version printed '$printed'"
  page="$work/root/usr/share/man/man1/$program.1.gz"
  man -l "$page" 2>/dev/null | grep -q "^NAME" || fail "man -l $page renders no NAME section"
done
for doc in README.md copyright changelog.gz; do
  [ -f "$work/root/usr/share/doc/dexal-csv-downloader/$doc" ] || fail "no $doc in the package"
done

TZ=UTC "$work/root/usr/bin/dexal-download" --simulate --output "$work/demo.csv" 2>"$work/demo.log" ||
  fail "the unpacked dexal-download failed: $(cat "$work/demo.log")"
cmp -s "$work/demo.csv" "$golden" || fail "the unpacked dexal-download wrote another demo file"
"$work/root/usr/bin/dexal-report" "$work/demo.csv" --html "$work/demo.html" \
  --per-asset "$work/records" || fail "the unpacked dexal-report failed"
digest=$(sha256sum "$golden" | cut -d' ' -f1)
lacking=$(grep -L "<td class=\"sha256\">$digest</td>" "$work/demo.html" "$work"/records/*.html)
[ -z "$lacking" ] || fail "the file's SHA-256 $digest is not shown in $lacking"
echo "PASS: $(basename "$deb"): lintian clean, programs and man pages work unpacked"

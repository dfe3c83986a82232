#!/usr/bin/env bash
# The Windows setup program in a fresh Wine prefix: a silent install puts the programs, the README,
# the licence, the Start-menu shortcuts and the uninstall key (version, publisher) in place; the
# installed dialog program shows its window; the installed dexal-download.exe downloads from the
# emulator through a mapped COM port and writes the native program's CSV, and the installed
# dexal-report.exe reports it with the file's SHA-256 as sha256sum gives it; a silent uninstall
# takes all of it away again. The zip carries the same files.
# Usage: check-windows-install.sh <setup.exe> <zip> <version> <native build> <winspy.exe> <work>
set -u
setup=$(realpath "$1") zip=$2 version=$3 native=$(realpath "$4") spy=$(realpath "$5")
work=$(realpath -m "$6")
sim="$native/tester/dexal-tester-sim"
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k >/dev/null 2>&1
rm -rf "$work" && mkdir -p "$work"
export TZ=UTC
com=com9 sim_pid="" xvfb_pid=""
cleanup() {
  stop_sim
  rm -f "$WINEPREFIX/dosdevices/$com"
}
fail() {
  echo "FAIL: $*" >&2
  cleanup
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  exit 1
}
. "$here/../wine/emulator.sh"
# Each Wine session gets a server started here, whose diagnostics go to the log rather than to
# whichever program happened to start it.
start_wineserver() { wineserver -p >>"$work/wine.log" 2>&1; }

folder="$WINEPREFIX/drive_c/Program Files/Dexal CSV downloader"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Dexal CSV downloader"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\DexalCSVDownloader'
installed_files="DexalCSVDownloader.exe dexal-download.exe dexal-report.exe README.md LICENSE"
shortcuts="Dexal CSV downloader.lnk|Dexal CSV report.lnk"

case "$(basename "$setup") $(basename "$zip")" in
  "DexalCSVDownloader-$version-setup.exe DexalCSVDownloader-$version-win64.zip") ;;
  *) fail "package names do not carry version $version: $setup $zip" ;;
esac
listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$listed" = "$(echo $installed_files | tr ' ' '\n' | sort | tr '\n' ' ')" ] ||
  fail "the zip holds: $listed"

"$here/../wine/init-prefix.sh" >>"$work/wine.log" 2>&1 || fail "no Wine prefix"
start_wineserver
timeout 300 wine "$(winepath -w "$setup")" /S >>"$work/wine.log" 2>&1 ||
  fail "the silent install failed"
timeout 120 wineserver -w >/dev/null 2>&1
for file in $installed_files; do
  [ -f "$folder/$file" ] || fail "not installed: $file"
done
IFS='|'
for link in $shortcuts; do
  [ -f "$menu/$link" ] || fail "no Start-menu shortcut $link"
done
unset IFS
entry=$(timeout 60 wine reg query "$key" 2>>"$work/wine.log" | tr -d '\r')
echo "$entry" | grep -Eq "DisplayVersion +REG_SZ +$version\$" || fail "uninstall key: $entry"
echo "$entry" | grep -Eq "Publisher +REG_SZ +The Dexal CSV downloader authors\$" ||
  fail "uninstall key: $entry"
for exe in DexalCSVDownloader.exe dexal-download.exe dexal-report.exe; do
  file_version=$(strings -el "$folder/$exe" | grep -A1 -x FileVersion | tail -n 1)
  [ "$file_version" = "$version" ] || fail "$exe has file version '$file_version'"
done
echo "PASS: silent install of $(basename "$setup"): files, shortcuts, uninstall key, versions"

# The installed dialog program shows its window on a virtual display.
start_xvfb 1024x768x24
# A Wine session started without a display cannot open windows: start a new one.
timeout 30 wineserver -k >/dev/null 2>&1
start_wineserver
wine "C:\\Program Files\\Dexal CSV downloader\\DexalCSVDownloader.exe" >/dev/null 2>&1 &
for _ in $(seq 1 100); do
  timeout 20 wine "$spy" list "Dexal CSV downloader" >"$work/dialog.txt" 2>/dev/null && break
  sleep 0.2
done
grep -q 'id=1001 class=Button .*text="Download"' "$work/dialog.txt" ||
  fail "the installed dialog program showed no window with a Download button: $(cat "$work/dialog.txt")"
import -window root "$work/installed-dialog.png" 2>/dev/null || true
timeout 30 wineserver -k >/dev/null 2>&1
start_wineserver
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
xvfb_pid=""
echo "PASS: the installed dialog program shows its window (installed-dialog.png)"

# The installed command line against the emulator, compared with the native program.
native_download -- --output "$work/native.csv"
start_sim_at "$WINEPREFIX/dosdevices/$com"
timeout 300 wine "C:\\Program Files\\Dexal CSV downloader\\dexal-download.exe" --port COM9 \
  --output "$(winepath -w "$work/installed.csv")" >"$work/installed.log" 2>&1 ||
  fail "the installed dexal-download.exe failed: $(cat "$work/installed.log")"
cleanup
cmp -s "$work/native.csv" "$work/installed.csv" || fail "the installed program wrote another CSV"
echo "PASS: the installed dexal-download.exe wrote the native program's CSV"
timeout 300 wine "C:\\Program Files\\Dexal CSV downloader\\dexal-report.exe" \
  "$(winepath -w "$work/installed.csv")" >"$work/report.log" 2>&1 ||
  fail "the installed dexal-report.exe failed: $(cat "$work/report.log")"
digest=$(sha256sum "$work/installed.csv" | cut -d' ' -f1)
grep -q "<td class=\"sha256\">$digest</td>" "$work/installed.html" ||
  fail "the installed dexal-report.exe's report does not show the SHA-256 $digest"
echo "PASS: the installed dexal-report.exe made the report, with the CSV file's SHA-256"

timeout 120 wine "C:\\Program Files\\Dexal CSV downloader\\Uninstall.exe" /S >>"$work/wine.log" 2>&1 ||
  fail "the silent uninstall failed"
# The uninstaller runs on from a temporary copy of itself.
for _ in $(seq 1 60); do [ -e "$folder" ] || break; sleep 0.5; done
timeout 120 wineserver -w >/dev/null 2>&1
[ -e "$folder" ] && fail "left after uninstall: $(ls "$folder")"
[ -e "$menu" ] && fail "Start-menu folder left after uninstall"
timeout 60 wine reg query "$key" >/dev/null 2>&1 && fail "uninstall key left after uninstall"
wineserver -k >/dev/null 2>&1
echo "PASS: the silent uninstall removed the files, the shortcuts and the uninstall key"

#!/usr/bin/env bash
# Makes the Wine prefix the Windows tests run in, and checks it whole before marking it ready: a
# prefix once came out of wineboot without its COM ports, and every later run failed in it.
# A prefix marked ready is checked again on each call and made anew when it is no longer whole.
# Usage: init-prefix.sh [--new]   (--new: make it anew even when it is whole)
set -uo pipefail
: "${WINEPREFIX:?WINEPREFIX must be set}"
here=$(cd "$(dirname "$0")" && pwd)
ready="$WINEPREFIX/.dexal-ready"

# The serial devices Wine gives a COM port to when it makes a prefix: /dev/ttyS0, /dev/ttyS1, ...
# for as long as they exist, and the same for ttyUSB and ttyACM.
serial_devices() {
  local kind n
  for kind in ttyS ttyUSB ttyACM; do
    n=0
    while [ -e "/dev/$kind$n" ]; do
      echo "/dev/$kind$n"
      n=$((n + 1))
    done
  done
}

# Whole: the registry files with our settings in them, and each serial device a COM port, as a
# link under dosdevices and in the HARDWARE\DEVICEMAP\SERIALCOMM key (which Wine fills afresh in
# every session). Says what is missing on stderr.
whole() {
  local device com listed
  [ -f "$WINEPREFIX/system.reg" ] || { echo "no system.reg" >&2; return 1; }
  grep -qx '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null ||
    { echo "settings.reg is not in user.reg" >&2; return 1; }
  listed=$(timeout 60 wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null | tr -d '\r')
  for device in $(serial_devices); do
    com=$(find "$WINEPREFIX/dosdevices" -maxdepth 1 -name 'com*' -lname "$device" -printf '%f\n' |
      head -n 1)
    [ -n "$com" ] || { echo "no COM port links to $device" >&2; return 1; }
    grep -qiE "REG_SZ +$com\$" <<<"$listed" || { echo "${com^^} is not in SERIALCOMM" >&2; return 1; }
  done
}

# Removes the prefix: only a folder that is empty or holds a Wine registry, never / or $HOME.
remove_prefix() {
  local dir
  dir=$(realpath -m "$WINEPREFIX")
  if [ "$dir" = / ] || [ "$dir" = "$(realpath -m "$HOME")" ] ||
    { [ -n "$(ls -A "$dir" 2>/dev/null)" ] && [ ! -f "$dir/system.reg" ]; }; then
    echo "$dir does not look like a Wine prefix: not removed" >&2
    return 1
  fi
  timeout 60 wineserver -k 2>/dev/null
  rm -rf "$dir"
}

if [ "${1:-}" != --new ] && [ -f "$ready" ]; then
  whole 2>/dev/null && exit 0
  echo "the Wine prefix $WINEPREFIX is no longer whole: making it anew" >&2
fi
for attempt in 1 2 3; do
  remove_prefix || exit 1
  mkdir -p "$WINEPREFIX"
  if timeout 300 wineboot -i >/dev/null 2>&1; then
    timeout 60 wine reg import "$(winepath -w "$here/settings.reg")" >/dev/null 2>&1
    timeout 120 wineserver -w
    if whole; then
      touch "$ready"
      exit 0
    fi
  else
    echo "wineboot failed" >&2
  fi
  echo "attempt $attempt: the new Wine prefix $WINEPREFIX is not whole" >&2
done
exit 1

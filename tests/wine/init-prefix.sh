#!/usr/bin/env bash
# Makes the Wine prefix the Windows tests run in, and marks it ready only once it is whole: a
# prefix once came out of wineboot without its COM ports, and every later run failed in it. A
# ready prefix is checked again on each call, and made anew when it is no longer whole.
set -u
: "${WINEPREFIX:?WINEPREFIX must be set}"
here=$(cd "$(dirname "$0")" && pwd)

# Whole: our settings in the registry, and a COM port (a link under dosdevices, a value in the
# HARDWARE\DEVICEMAP\SERIALCOMM key) for each serial device Wine takes: /dev/ttyS0, ttyS1, ...
# for as long as they exist, and the same for ttyUSB and ttyACM.
whole() {
  grep -qx '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null || return 1
  local listed kind n com
  listed=$(timeout 60 wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null | tr -d '\r')
  for kind in ttyS ttyUSB ttyACM; do
    for ((n = 0; ; n++)); do
      [ -e "/dev/$kind$n" ] || break
      com=$(find "$WINEPREFIX/dosdevices" -maxdepth 1 -lname "/dev/$kind$n" -printf '%f\n')
      grep -qiE "REG_SZ +${com:-none}\$" <<<"$listed" || return 1
    done
  done
}

if [ -f "$WINEPREFIX/.dexal-ready" ] && whole; then exit 0; fi
[ -z "$(ls -A "$WINEPREFIX" 2>/dev/null)" ] || [ -f "$WINEPREFIX/system.reg" ] ||
  { echo "$WINEPREFIX holds something other than a Wine prefix: not removed" >&2; exit 1; }
for attempt in 1 2 3; do
  timeout 60 wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
  timeout 300 wineboot -i >/dev/null 2>&1 &&
    timeout 60 wine reg import "$(winepath -w "$here/settings.reg")" >/dev/null 2>&1
  timeout 120 wineserver -w
  if whole; then
    touch "$WINEPREFIX/.dexal-ready"
    exit 0
  fi
  echo "attempt $attempt: the new Wine prefix $WINEPREFIX is not whole" >&2
done
exit 1

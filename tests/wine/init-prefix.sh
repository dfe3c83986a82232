#!/usr/bin/env bash
# Creates the Wine prefix the Windows tests run in (once per build tree).
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must be set}"
if [ -f "$WINEPREFIX/.dexal-ready" ]; then exit 0; fi
mkdir -p "$WINEPREFIX"
here=$(cd "$(dirname "$0")" && pwd)
timeout 300 wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 1; }
timeout 60 wine reg import "$(winepath -w "$here/settings.reg")" >/dev/null 2>&1 || true
timeout 120 wineserver -w || true
touch "$WINEPREFIX/.dexal-ready"

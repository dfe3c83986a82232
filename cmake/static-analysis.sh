#!/usr/bin/env bash
# clang-tidy (rules in .clang-tidy) and cppcheck over the program's sources; any finding fails.
# Usage: cmake/static-analysis.sh BUILD_DIR   (a configured native build with compile_commands.json)
set -euo pipefail
build=${1:?build directory}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json" >&2; exit 2; }

# Native sources of the program (the Win32 files do not compile here; the MinGW build checks them).
mapfile -t sources < <(git ls-files 'platform/*.cpp' 'link/*.cpp' 'results/*.cpp' 'csv/*.cpp' \
  'report/*.cpp' 'download/*.cpp' 'cli/*.cpp' 'tester/*.cpp' | grep -v -E '/Win32[^/]*\.cpp$' |
  while read -r f; do grep -q "\"file\": \"$root/$f\"" "$build/compile_commands.json" && echo "$f"; done)
jobs=${JOBS:-2}
status=0
echo "clang-tidy: ${#sources[@]} files"
printf '%s\n' "${sources[@]}" |
  xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option 2> >(grep -v -E '^[0-9]+ warnings? generated' >&2) ||
  status=1

echo "cppcheck"
cppcheck --enable=warning,performance,portability --inline-suppr --error-exitcode=1 --std=c++20 \
  --quiet -I . -D__linux__ --suppress=missingIncludeSystem "${sources[@]}" || status=1

[ $status -eq 0 ] && echo "static analysis: no findings"
exit $status

#!/usr/bin/env bash
# The dialog program under Xvfb and Wine:
#  1. its window, controls and texts; both options unchecked;
#  2. cancelling the save dialog starts no download;
#  3. with no port there, a download gives the "Communication error" box;
#  4. with the emulator, a full download through COM7 with both options, compared with the
#     native program's CSV;
#  5. a retried result shows its "Error" box over the progress line;
#  5b. an output that cannot be made, in folders named "Müller" and "東京": the "Runtime Error"
#     box shows the path with those letters, as read back from the box;
#  6. a long download (paced, about 10 s): the window is never taken for hung ("Not Responding")
#     and a click on Close meanwhile reaches nothing; Esc ends the program with exit code 0;
#  7. dexal-report.exe started with no argument (the "Dexal CSV report" shortcut) asks for the
#     CSV files and whether to write the assets' records; writes the report (and the records, into
#     NAME-records) beside the first as the command line does, says where and with which
#     conflicts, and offers to open it: No opens nothing, Yes opens the report through the .html
#     association (a stand-in browser that notes what it was given). Three downloads are picked at
#     once as a user does (their folder opened, the three selected in its list, their names typed
#     in quotes), one alone; a file that is not ours gives the reader's message in a box;
#     cancelling asks nothing more.
# Usage: gui-test.sh <mingw build dir> <native build dir> <work dir>
# Needs WINEPREFIX (created with init-prefix.sh if new), and the native dexal-tester-sim and
# dexal-download. Exit status 0 passed, 1 failed. Screenshots are left in <work dir>/*.png.
set -u
mingw=$1 native=$2 work=$3
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEARCH=${WINEARCH:-win64} TZ=UTC
# File names and the helper's arguments and output are UTF-8.
export LC_ALL=C.UTF-8
here=$(cd "$(dirname "$0")" && pwd)
. "$here/emulator.sh"
app="$mingw/shell/DexalCSVDownloader.exe"
spy="$mingw/tests/shell/winspy.exe"
sim="$native/tester/dexal-tester-sim"
cli="$native/cli/dexal-download"
title='Dexal CSV downloader'
version=$(grep -m1 -o '^project.* VERSION [0-9.]*' "$here/../../CMakeLists.txt" | sed 's/.* //')
startup="Dexal CSV downloader v$version beta\\nPut the tester in Download mode."
mkdir -p "$work"
work=$(cd "$work" && pwd)
rm -f "$work"/*.png "$work"/*.csv "$work"/*.txt "$work"/*.html
rm -rf "$work/demo-records" "$work/expected-records" "$work/history"
xvfb_pid="" app_pid="" sim_pid=""

cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  app_pid=""
  timeout 30 wineserver -k 2>/dev/null
  stop_sim
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}
fail() {
  echo "FAIL: $*" >&2
  [ -n "${DISPLAY:-}" ] && shot failure
  ls "$work"/*.png 2>/dev/null | sed 's/^/screenshot: /' >&2
  cleanup
  exit 1
}
shot() { timeout 20 import -window root "$work/$1.png" 2>/dev/null; }
spy() { timeout 30 wine "$spy" "$@" 2>/dev/null | tr -d '\r'; }

# Fails, with its exit status and log, when the program has ended ($1 says while doing what).
fail_if_ended() {
  if [ -n "$app_pid" ] && ! kill -0 "$app_pid" 2>/dev/null; then
    wait "$app_pid"
    fail "the program exited with $? $1: $(tail -n 5 "$app_log")"
  fi
}
# Waits up to $2 seconds for a visible X window named exactly $1; sets $wid.
wait_window() {
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt "$deadline" ]; do
    wid=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && return 0
    fail_if_ended "waiting for '$1'"
    sleep 0.1
  done
  return 1
}
# Waits up to $2 seconds for the window named $1 to go.
wait_gone() {
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt "$deadline" ]; do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
# Puts the Windows path $3 into the file name box (control $2) of the file dialog titled $1 and
# presses its button 1 once the box is seen to hold it. WM_SETTEXT, not typed keys: under load a
# synthetic key can be lost.
put_file_name() {
  local held
  held=$(spy settext "$1" "$2" "$3")
  [ "$held" = "$3" ] || fail_if_ended "before its $1 dialog took the file name"
  [ "$held" = "$3" ] || fail "the $1 dialog's file name box holds '$held', not '$3'"
  spy click "$1" 1
}
control() { grep "^id=$1 " <<<"$controls"; }
# Clicks Download and saves as $work/$1 ($2 names the download in failures); the dialog adds .csv.
save_download() {
  spy click "$title" 1001
  wait_window Save 30 || fail "no save dialog for the $2"
  put_file_name Save 1152 "$(winepath -w "$work/$1")"
}
# Waits for "Download complete", OKs it and compares $work/$1.csv with the native program's
# ($work/expected.csv, or $2).
accept_download() {
  wait_window Download 120 || fail "no 'Download' box for $1.csv within 120 s"
  shot "$1-complete"
  grep -q 'text="Download complete"' <<<"$(spy list Download)" ||
    fail "the download to $1.csv did not complete: $(spy list Download)"
  spy click Download 1
  wait_gone Download 15 || fail "the 'Download' box stayed after OK"
  [ -f "$work/$1.csv" ] || fail "no $1.csv (the default extension was not added?)"
  cmp "${2:-$work/expected.csv}" "$work/$1.csv" || fail "$1.csv differs from the native program's"
}

for file in "$app" "$spy" "$sim" "$cli"; do [ -f "$file" ] || fail "no $file"; done
timeout 400 bash "$here/init-prefix.sh" || fail "the Wine prefix could not be created"

# The display first: a Wine session started without one cannot open windows.
timeout 30 wineserver -k 2>/dev/null
start_xvfb 1280x1024x24

# COM7 goes to a stable path that is re-pointed at the emulator's pty; dangling for now.
rm -f "$work/ttyV7"
timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /d "$work/ttyV7" /f >/dev/null 2>&1 ||
  fail "could not map COM7"
# The port mapping is read when the session starts.
timeout 30 wineserver -k 2>/dev/null
timeout 60 wineserver -w 2>/dev/null

# 1. The window and its controls.
app_log="$work/app.log"
wine "$app" >"$app_log" 2>&1 &
app_pid=$!
wait_window "$title" 30 || fail "no window titled '$title' within 30 s"
main=$wid
shot dialog
controls=$(spy list "$title")
echo "$controls" >"$work/controls.txt"
check_control() {  # id class text check
  local line
  line=$(control "$1") || fail "no control $1: $controls"
  grep -q "class=$2 " <<<"$line" || fail "control $1 is not a $2: $line"
  grep -qF "text=\"$3\"" <<<"$line" || fail "control $1 text is not '$3': $line"
  [ -z "${4:-}" ] || grep -q "check=$4 " <<<"$line" || fail "control $1 check is not $4: $line"
}
check_control -1 Static "$startup"
check_control 1002 ComboBox "$(sed -n 's/.* text="\([^"]*\)" check=- sel=0 .*/\1/p' <<<"$(control 1002)")"
check_control 1004 Button 'refresh ports'
check_control 1005 Button 'Output graph points in CSV' 0
check_control 1003 Button 'Set Dexal Clock using computer time' 0
check_control 1001 Button 'Download'
check_control 2 Button 'Close'
grep -q '^window .*text="Dexal CSV downloader"' <<<"$controls" || fail "caption: $controls"
# Centred on the 1280x1024 desktop, halves truncated.
read -r l t r b < <(sed -n 's/^window rect=\(-\?[0-9]*\),\(-\?[0-9]*\),\(-\?[0-9]*\),\(-\?[0-9]*\) .*/\1 \2 \3 \4/p' <<<"$controls")
[ "$l" -eq $(((1280 - (r - l)) / 2)) ] && [ "$t" -eq $(((1024 - (b - t)) / 2)) ] ||
  fail "the dialog at $l,$t-$r,$b is not centred on the desktop"
# Tab order is creation order: the list must come in the template's order.
order=$(sed -n 's/^id=\(-\?[0-9]*\) .*/\1/p' <<<"$controls" | tr '\n' ' ')
[ "$order" = "-1 1002 1004 1005 1003 1001 2 " ] || fail "controls in order '$order'"
echo "PASS: window, controls, texts, options unchecked"

# 2. Cancelling the save dialog.
spy click "$title" 1001
wait_window Save 30 || fail "no save dialog within 30 s of Download"
shot save-dialog
spy click Save 2 || fail "no Cancel button in the save dialog"
wait_gone Save 15 || fail "the save dialog stayed after Escape"
sleep 1
for box in "Communication error" Download "Runtime Error" Exception; do
  xdotool search --onlyvisible --name "^$box\$" >/dev/null 2>&1 && fail "a '$box' box after cancelling"
done
fail_if_ended "after cancelling"
echo "PASS: cancelling the save dialog starts no download"

# 3. No port there: with nothing selected the download has no port to open (this machine's
# own ports may be listed, so the test clears the selection rather than relying on an empty list).
spy select "$title" 1002 -1 || fail "could not clear the port selection"
save_download none "second download"
wait_window "Communication error" 30 || fail "no 'Communication error' box within 30 s"
shot communication-error
box=$(spy list "Communication error")
grep -q 'text="Protocol Error 1' <<<"$box" || fail "the box does not say 'Protocol Error 1': $box"
[ -e "$work/none.csv" ] && fail "a file was created although the port did not open"
spy click "Communication error" 1 || fail "no OK button in the box"
wait_gone "Communication error" 15 || fail "the box stayed after OK"
controls=$(spy list "$title")
check_control -1 Static "$startup"
echo "PASS: a port that is not there gives the 'Communication error' box"

# 4. A full download against the emulator.
# Every run logs its requests for the checks below.
sim_log="$work/sim-requests.json"
native_download -- --output "$work/expected.csv" --graph-points --set-clock
start_sim_at "$work/ttyV7"
spy click "$title" 1004
sleep 1
controls=$(spy list "$title")
grep -q 'items="[^"]*COM7' <<<"$(control 1002)" || fail "COM7 is not in the port list: $(control 1002)"
grep -q 'sel=0 ' <<<"$(control 1002)" || fail "refresh ports selected no first entry: $(control 1002)"
spy select "$title" 1002 COM7 || fail "could not select COM7"
controls=$(spy list "$title")
grep -q 'text="COM7"' <<<"$(control 1002)" || fail "COM7 is not selected: $(control 1002)"
spy click "$title" 1005
spy click "$title" 1003
sleep 0.5
controls=$(spy list "$title")
check_control 1005 Button 'Output graph points in CSV' 1
check_control 1003 Button 'Set Dexal Clock using computer time' 1
save_download gui "full download"
accept_download gui
# The clock option reaches the tester as a set-clock request just before the end of the download.
codes=$(sed -n 's/.*"code":"\(0x[0-9a-f]*\)".*/\1/p' "$work/sim-requests.json" | tail -n 2 | tr '\n' ' ')
[ "$codes" = "0x2804 0x2823 " ] || fail "the download did not end with set clock, end download: $codes"
echo "PASS: full download through COM7 with both options, CSV as the native program's"

# 5. A result whose first attempt gets no reply: the "Error" box comes while the dialog shows
# which result is being fetched; the retry completes the download and the start-up text returns.
start_sim_at "$work/ttyV7" --fault 'no-reply@0x2822*1'
save_download retry "retried download"
wait_window Error 60 || fail "no 'Error' box within 60 s for the unanswered request"
shot retry-error
box=$(spy list Error)
grep -q 'text="Download error: try 1"' <<<"$box" || fail "the 'Error' box says: $box"
progress=$(spy text "$title" -1)
grep -qx 'Downloading result 1 of [0-9]*' <<<"$progress" || fail "progress line during the download: '$progress'"
spy click Error 1
accept_download retry
[ "$(spy text "$title" -1)" = "$startup" ] ||
  fail "the start-up text did not come back: $(spy text "$title" -1)"
echo "PASS: a retried result shows 'Download error: try 1' over the progress line, then completes"

# 5b. The output is a link into a folder that is not there (this test may run as root, for whom
# no folder is read-only), in folders whose names are not ASCII: the box, read back from another
# process, shows the path's letters as they are.
rm -rf "$work/Müller" && mkdir -p "$work/Müller/東京" &&
  ln -s "$work/no-such-folder/out.csv" "$work/Müller/東京/out.csv" || fail "could not make the link"
start_sim_at "$work/ttyV7"
save_download "Müller/東京/out.csv" "download to an output that cannot be made"
wait_window "Runtime Error" 60 || fail "no 'Runtime Error' box for an output that cannot be made"
shot unwritable-output
expected="Could not open file for appending\\n$(winepath -w "$work/Müller/東京/out.csv")"
grep -qF "text=\"$expected\"" <<<"$(spy list "Runtime Error")" ||
  fail "the box should say '$expected': $(spy list "Runtime Error")"
spy click "Runtime Error" 1
wait_gone "Runtime Error" 15 || fail "the 'Runtime Error' box stayed after OK"
stop_sim
echo "PASS: the box for an output that cannot be made shows 'Müller' and '東京' in its path"

# 6. A long download: looked at twice a second from another process, the window never counts as
# hung, and a real click on Close while it runs reaches nothing, not even afterwards.
long="$here/../testdata/wine/long-download.json"
native_download --scenario "$long" -- --output "$work/long-expected.csv" --graph-points
start_sim_at "$work/ttyV7" --pace --scenario "$long"
read -r cl ct cr cb < <(control 2 | sed -n 's/.* rect=\([0-9]*\),\([0-9]*\),\([0-9]*\),\([0-9]*\) .*/\1 \2 \3 \4/p')
save_download long "long download"
looks=0 hung=0 deadline=$((SECONDS + 120))
while ! xdotool search --onlyvisible --name "^Download\$" >/dev/null 2>&1; do
  [ $SECONDS -lt $deadline ] || fail "the long download did not end within 120 s"
  [ "$(spy hung "$title")" = responding ] || hung=$((hung + 1))
  looks=$((looks + 1))
  if [ $looks -eq 6 ]; then
    shot long-download
    xdotool mousemove $(((cl + cr) / 2)) $(((ct + cb) / 2)) click 1
  fi
  sleep 0.5
done
[ $hung -eq 0 ] || fail "the window counted as hung in $hung of $looks looks during the download"
[ $looks -ge 10 ] || fail "the long download took only $looks looks: too short to tell"
accept_download long "$work/long-expected.csv"
sleep 1
kill -0 "$app_pid" 2>/dev/null || fail "the click on Close during the download closed the program"
echo "PASS: a long download ($looks looks) never counts as hung; a click on Close meanwhile does nothing"

# A real key press on the focused window, not a key event sent to it: the release of a sent key
# is lost with the window it closes, and the Wine session then holds Escape down and cancels the
# next program's open dialog.
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key Escape
deadline=$((SECONDS + 30))
while kill -0 "$app_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end within 30 s of Esc"
wait "$app_pid"; rc=$?; app_pid=""
[ $rc -eq 0 ] || fail "the program exited with $rc after Esc"
echo "PASS: Esc ends the program with exit code 0"

# 7. The report program from its shortcut.
report="$mingw/cli/dexal-report.exe"
export SOURCE_DATE_EPOCH=1772700000
cp "$here/../testdata/download/demo.csv" "$work/demo.csv"
native_report=$(cd "$native" && pwd)/cli/dexal-report
(cd "$work" && "$native_report" demo.csv --html expected-report.html --per-asset expected-records) ||
  fail "the native report of the demo download failed"
# Three downloads of one tester over three years, in a folder of their own; they overlap, and one
# result differs between two of them.
history=(2024-03.csv 2025-03.csv 2026-03.csv)
mkdir -p "$work/history" &&
  cp "$here"/../testdata/report/archive/{2024-03.csv,2025-03.csv,2026/2026-03.csv} "$work/history" ||
  fail "could not copy the downloads of the history"
(cd "$work/history" &&
  "$native_report" "${history[@]}" --html ../expected-history.html 2>../expected-history.txt) ||
  fail "the native report of the history failed: $(cat "$work/expected-history.txt")"
grep -q '^warning: ' "$work/expected-history.txt" || fail "the history gave no conflict to show"
printf 'Serial,Service Date\r\nnot a download\r\n' >"$work/not-ours.csv"
# The stand-in browser: the program that opens a page notes the file it was given.
opened="$work/opened.txt"
timeout 60 wine reg add 'HKCR\.html' /ve /d DexalTestPage /f >/dev/null 2>&1 &&
  timeout 60 wine reg add 'HKCR\DexalTestPage\shell\open\command' /ve \
    /d "C:\\windows\\system32\\cmd.exe /c echo %1>$(winepath -w "$opened")" /f >/dev/null 2>&1 ||
  fail "could not register the stand-in browser"
# Starts the report program with no argument and in its open dialog picks the file $work/$1, or
# the files $2... (in name order) at once in the folder $work/$1: the folder opened first, seen in
# the "Look in" box; then the files selected in its list, which puts their names in quotes into
# the name box; then the names typed there. With $1 empty it cancels.
report_pick() {
  app_log="$work/report.log"
  wine "$report" >"$app_log" 2>&1 &
  app_pid=$!
  wait_window Open 30 || fail "dexal-report with no argument asked for no file"
  shot "report-open"
  if [ -z "$1" ]; then
    spy click Open 2
    return
  fi
  put_file_name Open 1148 "$(winepath -w "$work/$1")"
  [ $# -gt 1 ] || return
  local names="" deadline=$((SECONDS + 30))
  until grep -q "^id=1137 .* text=\"$1\" " <<<"$(spy list Open)"; do
    [ $SECONDS -lt $deadline ] || fail "the open dialog did not open the folder $1: $(spy list Open)"
    fail_if_ended "opening the folder $1"
    sleep 0.2
  done
  for name in "${@:2}"; do names+="\"$name\" "; done
  # A click in the list's empty corner, then Home and Shift+End. Real keys can be lost under
  # load: again every few seconds until the name box shows them all.
  local l t r b box="" tries=0
  read -r l t r b < <(grep '^id=1121 ' <<<"$(spy list Open)" |
    sed 's/.* rect=\(-\?[0-9]*\),\(-\?[0-9]*\),\(-\?[0-9]*\),\(-\?[0-9]*\) .*/\1 \2 \3 \4/')
  [ -n "$b" ] || fail "no file list in the open dialog: $(spy list Open)"
  xdotool windowfocus --sync "$wid" 2>/dev/null
  deadline=$((SECONDS + 30))
  until grep -qF "text=\"$names\" " <<<"$box"; do
    [ $SECONDS -lt $deadline ] || fail "the files selected in the list gave the name box: $box"
    fail_if_ended "selecting the files in $1"
    if [ $((tries % 15)) -eq 0 ]; then
      xdotool mousemove $((r - 20)) $((b - 20)) click 1
      xdotool key Home shift+End
    fi
    tries=$((tries + 1))
    sleep 0.2
    box=$(grep '^id=1148 ' <<<"$(spy list Open)")
  done
  shot "report-open-$1"
  put_file_name Open 1148 "${names% }"
}
# Waits for the report program's box that holds $1 and clicks its button $2 (1 OK, 6 Yes, 7 No);
# $3 names its screenshot. Its boxes share one title: the text tells them apart.
answer_box() {
  local box="" deadline=$((SECONDS + 60))
  until grep -qF "$1" <<<"$box"; do
    [ $SECONDS -lt $deadline ] || fail "no 'Dexal CSV report' box saying '$1': $box"
    fail_if_ended "waiting for the box that says '$1'"
    sleep 0.2
    box=$(spy list "Dexal CSV report")
  done
  shot "report-$3"
  spy click "Dexal CSV report" "$2"
}
# Waits for the report program to end with the exit code $1 ($2 says after what).
finish_report() { wait "$app_pid"; rc=$?; app_pid=""; [ $rc -eq "$1" ] || fail "exit code $rc $2"; }
# The box names the report and then each conflict as the command line warns of it.
written="Report written to\\n$(winepath -w "$work/history/2024-03.html")"
while read -r line; do written+="\\nWarning: ${line#warning: }"; done <"$work/expected-history.txt"
report_pick history "${history[@]}"
answer_box "Also write a record of each asset, with a sign-off block, into\\n$(winepath -w \
  "$work/history/2024-03-records")?" 7 records-question
answer_box "text=\"$written\\n\\nOpen the report?\"" 7 written
finish_report 0 "after writing the report of the history"
cmp -s "$work/expected-history.html" "$work/history/2024-03.html" ||
  fail "the report of the three files picked at once differs from the command line's"
sleep 1
[ -e "$work/history/2024-03-records" ] || [ -e "$opened" ] &&
  fail "records or an open after the answers No"
report_pick demo.csv
answer_box "Also write a record of each asset, with a sign-off block, into\\n$(winepath -w \
  "$work/demo-records")?" 6 records-yes
answer_box "Report written to\\n$(winepath -w "$work/demo.html")\\nRecords of each asset in\\n$(
  winepath -w "$work/demo-records")\\n" 6 report-yes
finish_report 0 "after writing the report and records"
cmp -s "$work/expected-report.html" "$work/demo.html" ||
  fail "the report made from the shortcut differs from the command line's"
diff -r "$work/expected-records" "$work/demo-records" >/dev/null ||
  fail "the records made from the shortcut differ from the command line's"
for _ in $(seq 1 100); do [ -s "$opened" ] && break; sleep 0.2; done
grep -qiF "$(winepath -w "$work/demo.html")" "$opened" 2>/dev/null ||
  fail "Yes did not open the report: the stand-in browser got '$(cat "$opened" 2>/dev/null)'"
report_pick not-ours.csv
answer_box "Also write a record of each asset" 7 not-ours-question
answer_box 'text="not-ours.csv:2: ' 1 refused
finish_report 1 "after refusing a file"
[ -e "$work/not-ours.html" ] && fail "a report was left behind for a file that is not ours"
report_pick ""
finish_report 0 "after the open dialog was cancelled"
xdotool search --onlyvisible --name "^Dexal CSV report\$" >/dev/null 2>&1 &&
  fail "a box after cancelling the open dialog"
echo "PASS: dexal-report from its shortcut asks for the files (three at once, or one) and the" \
     "records, writes them, says where and with which conflicts, and opens the report on Yes only"
cleanup
exit 0

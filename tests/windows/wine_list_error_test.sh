#!/usr/bin/env bash
# Run on an X server (scripts/with-xvfb): started from a folder without
# resinfo.rli, and with none beside the executable either, the released show
# under Wine puts up its list error as a Windows message box naming both
# folders, waits until the box is dismissed, and then ends with exit code 1,
# without ever opening its own window.
#
#   wine_list_error_test.sh RELEASE.zip WORK_DIR
set -uo pipefail
zip=${1:?usage: wine_list_error_test.sh RELEASE.zip WORK_DIR}
work=${2:?}
source "$(dirname "$0")/wine_env.sh"

rm -rf "$work" && mkdir -p "$work/release" "$work/empty" || exit 1

dir=$(unpack "$zip" "$work/release") || { check 1 "unpack $zip"; finish; }
rm "$dir/resinfo.rli"
start_show "$work/empty" "$dir/pixelfolk.exe"
box=$(wait_for_window "$show_pid" 60 Error)
check $? "a message box captioned \"Error\" appears"
[ -n "$box" ] || finish

# Modal: the show waits for the box and has no window of its own.
sleep 2
kill -0 "$show_pid" 2>/dev/null
check $? "the show waits while the box is up"
[ -z "$(xdotool search --name "^${show_title}\$" 2>/dev/null)" ]
check $? "no show window behind the box"
import -window root "$work/box.png"

# The box's OK button has the focus: Return presses it.
press_key "$box" Return
wait_exit 15
code=$?
[ "$code" -eq 1 ]
check $? "dismissing the box ends the show with exit code 1 (got $code)"
# Both folders in the form Windows gives them (Z:\... under Wine).
expected="Error: Couldn't find resinfo.rli in $(winepath -w "$work/empty") or $(winepath -w "$dir")."
tr -d '\r' <"$work/stderr.txt" | grep -q -x -F "$expected"
check $? "the same message goes to standard error: $expected"
finish

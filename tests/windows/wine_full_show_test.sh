#!/usr/bin/env bash
# Run on an X server (scripts/with-xvfb): the whole released show under Wine,
# ending by itself with exit code 0 about 96 s after its window appeared.
#
#   wine_full_show_test.sh RELEASE.zip WORK_DIR
set -uo pipefail
zip=${1:?usage: wine_full_show_test.sh RELEASE.zip WORK_DIR}
work=${2:?}
source "$(dirname "$0")/wine_env.sh"

rm -rf "$work" && mkdir -p "$work/release" || exit 1

dir=$(unpack "$zip" "$work/release") || { check 1 "unpack $zip"; finish; }
start_show "$dir"
wait_for_window "$show_pid" 60 >/dev/null
check $? "the show's window opens"
start=$(date +%s%N)
# A look at the title scene with the default renderer, kept for people.
sleep 50
import -window root "$work/at-50s.png"
wait_exit 70
code=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
echo "     ended after $elapsed ms with code $code"
[ "$code" -eq 0 ]
check $? "the show ends by itself with exit code 0"
# 96 s of show after the window appeared, plus the time Wine takes to close.
[ "$elapsed" -ge 95000 ] && [ "$elapsed" -le 102000 ]
check $? "it ends about 96 s after its window appeared"
finish

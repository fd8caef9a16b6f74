#!/usr/bin/env bash
# Run on an X server: starts the show, waits for its window, checks that the
# window covers the screen and that frames reach it, presses Escape and
# expects the show to end with exit code 0 within a second of its own time
# (tests/support/own_time.sh).
#
#   show_escape_test.sh SHOW_EXECUTABLE
#
# ESCAPE_LIMIT_MS changes the second, for builds whose exit does extra work
# (the leak checker scans the whole heap when the process ends).
set -uo pipefail

show=${1:?usage: show_escape_test.sh SHOW_EXECUTABLE}
limit_ms=${ESCAPE_LIMIT_MS:-1000}
here=$(dirname "$0")
# shellcheck source=../support/checks.sh
source "$here/../support/checks.sh"
# shellcheck source=../support/show_window.sh
source "$here/../support/show_window.sh"
# shellcheck source=../support/own_time.sh
source "$here/../support/own_time.sh"
cd "$(dirname "$show")" || exit 1

"$show" &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null' EXIT

window=$(wait_for_window "$pid") || fail_now "no window titled \"$show_title\""

# A few seconds of show, music playing, then the window must be on the screen, covering it.
sleep 3
kill -0 "$pid" 2>/dev/null || fail_now "the show ended on its own"
read -r screen_width screen_height < <(xdpyinfo | awk '/dimensions:/ { split($2, s, "x"); print s[1], s[2] }')
eval "$(xdotool getwindowgeometry --shell "$window")"
if [ "$X" -ne 0 ] || [ "$Y" -ne 0 ] || [ "$WIDTH" -ne "$screen_width" ] || [ "$HEIGHT" -ne "$screen_height" ]; then
  fail_now "window at ${X},${Y} size ${WIDTH}x${HEIGHT}, screen ${screen_width}x${screen_height}"
fi

# Frames reach the screen: it does not stay black (the root window of a fresh
# server is). Screenshots until something shows, for up to 5 s.
shown=0
for _ in $(seq 10); do
  mean=$(import -window root -depth 8 png:- 2>/dev/null | convert png:- -format '%[fx:mean]' info: 2>/dev/null)
  if [ -n "$mean" ] && awk -v m="$mean" 'BEGIN { exit !(m > 0) }'; then shown=1; break; fi
  sleep 0.5
done
[ "$shown" -eq 1 ] || fail_now "the screen stayed black: no frame was presented"

# The show's own time from the key to its end: on a busy machine the wait
# for a processor is the machine's, not the show's.
start=$(date +%s%N)
xdotool key Escape
own_time_start "$pid"
while kill -0 "$pid" 2>/dev/null; do
  own_time_poll
  if [ "$(own_time_ms all)" -gt "$limit_ms" ]; then fail_now "still running ${limit_ms} ms of its own time after Escape"; fi
  sleep 0.01
done
own=$(own_time_ms all)
wait "$pid"
code=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
echo "show_escape_test: ended with code $code ${elapsed} ms after Escape, ${own} ms of them its own"
[ "$own" -le "$limit_ms" ] || fail_now "ended ${own} ms of its own time after Escape, more than ${limit_ms} ms"
[ "$code" -eq 0 ] || exit 1

#!/usr/bin/env bash
# Run on a 640-pixel-wide X server: a list naming a picture with a long name
# makes the show put up its two error boxes. Each must lie within the screen
# (SDL's box is as wide as its longest line, and does not wrap it), and the
# show must end with exit code 1 once they are closed. Then the show is ended
# while its first box is up, and the box must go with it.
#
#   show_message_box_test.sh SHOW_EXECUTABLE
set -uo pipefail

show=${1:?usage: show_message_box_test.sh SHOW_EXECUTABLE}
scratch=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "show_message_box_test: $*" >&2; exit 1; }

cd "$scratch" || exit 1
printf '%s 1\n' "a_picture_name_long_enough_to_make_a_message_wider_than_the_scree" >resinfo.rli
"$show" 2>err.txt &
pid=$!

read -r screen_width _ < <(xdpyinfo | awk '/dimensions:/ { split($2, s, "x"); print s[1], s[2] }')

# The id of the top-level window called "Error", once there is one.
error_box() {
  xwininfo -root -children 2>/dev/null | awk '/"Error"/ { print $1; exit }'
}

for box in 1 2; do
  window=
  for _ in $(seq 300); do
    window=$(error_box)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the show ended before box $box appeared; stderr: $(cat err.txt)"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no box $box within 30 s"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  if [ "$X" -lt 0 ] || [ $((X + WIDTH)) -gt "$screen_width" ]; then
    fail "box $box at x ${X}, ${WIDTH} pixels wide, on a screen ${screen_width} pixels wide"
  fi
  echo "ok   box $box: ${WIDTH} pixels wide at x ${X}"
  # Its OK button, at the bottom in the middle, clicked: a key is less sure
  # to reach it, since without a window manager the keyboard follows the
  # pointer, and keys sent to a window by name may be ignored.
  xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT - 22)) click 1
  for _ in $(seq 50); do
    [ "$(error_box)" != "$window" ] && break
    sleep 0.1
  done
done

for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running after both boxes were closed"
wait "$pid"
code=$?
pid=
[ "$code" -eq 1 ] || fail "exit code $code, expected 1"
echo "ok   the show ended with exit code 1"

# A show that ends while its box is up takes the box with it, whatever ends
# it. SDL shows its X11 box from a child process, a copy of the show.
box_kind="SDL's X11 box"
for signal in TERM KILL; do
  "$show" 2>err.txt &
  pid=$!
  boxes=
  for _ in $(seq 300); do
    boxes=$(pgrep -P "$pid" | tr '\n' ' ')
    [ -n "$boxes" ] && [ -n "$(error_box)" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the show ended before its box appeared; stderr: $(cat err.txt)"
    sleep 0.1
  done
  [ -n "$boxes" ] || fail "$box_kind: no box process within 30 s"
  kill -"$signal" "$pid"
  wait "$pid" 2>/dev/null
  pid=
  left=
  for _ in $(seq 50); do
    left=
    for box in $boxes; do kill -0 "$box" 2>/dev/null && left="$left $box"; done
    [ -z "$left" ] && [ -z "$(error_box)" ] && break
    sleep 0.1
  done
  if [ -n "$left" ]; then
    # shellcheck disable=SC2086  # one pid per word
    kill -KILL $left 2>/dev/null
    fail "$box_kind: SIG$signal ended the show, its box process$left still ran"
  elif [ -n "$(error_box)" ]; then
    fail "$box_kind: SIG$signal ended the show, its box is still on the screen"
  else
    echo "ok   $box_kind: SIG$signal ended the show and its box"
  fi
done

#!/usr/bin/env bash
# The show on a desktop as users have one: Xvfb with openbox. Full screen on
# a wide screen: the full-screen state, the 4:3 picture between black bars,
# Alt+Tab away (drawing stops, and a window moved over the show leaves no
# ghost of itself) and back (drawing goes on), and the end on time. Then an
# ordinary window asked larger than the screen: shrunk to fit with its title
# bar on the screen, playing on while another window has the focus, and
# closed by the window manager with exit code 0.
#
#   desktop_test.sh SHOW_EXECUTABLE
set -uo pipefail

support=$(dirname "$0")/../support
# shellcheck source=../support/checks.sh
source "$support/checks.sh"
# shellcheck source=../support/xvfb.sh
source "$support/xvfb.sh"
# shellcheck source=../support/show_window.sh
source "$support/show_window.sh"
# shellcheck source=../support/window_manager.sh
source "$support/window_manager.sh"

show=$(realpath "${1:?usage: desktop_test.sh SHOW_EXECUTABLE}")
cd "$(dirname "$show")" || exit 1
work=$(mktemp -d)
show_pid=
other_pid=
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
  cat "$work"/*.err >&2 2>/dev/null
  for pid in $show_pid $other_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  stop_window_manager
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT

# shot NAME GEOMETRY: that part of the screen (WxH+X+Y) as NAME.png.
shot() { import -window root -crop "$2" +repage "$work/$1.png"; }
# same A B: true when the two shots have no pixel apart.
same() { [ "$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1)" = 0 ]; }
# differing A B: how many pixels the two shots have apart.
differing() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1; }
# becomes NAME REFERENCE GEOMETRY: true once that part of the screen equals
# the shot REFERENCE, within 10 s; a loaded machine repaints late.
becomes() {
  for _ in $(seq 100); do
    shot "$1" "$3"
    if same "$1" "$2"; then return 0; fi
    sleep 0.1
  done
  # Kept for a look: a run that fails on a CI machine may not fail here.
  local kept=${TMPDIR:-/tmp}/pixelfolk-desktop-test
  mkdir -p "$kept" && cp "$work/$1.png" "$work/$2.png" "$kept/"
  echo "     $(differing "$1" "$2") pixels still differ ($kept/$1.png, $2.png)" >&2
  return 1
}
# settled NAME GEOMETRY: that part of the screen as NAME.png once two shots
# 0.3 s apart agree, within 3 s: the window manager's Alt+Tab popup may still
# be going away, and the show repainting what it uncovered.
settled() {
  shot "$1" "$2"
  for _ in $(seq 10); do
    sleep 0.3
    shot settling "$2"
    if same "$1" settling; then return 0; fi
    mv "$work/settling.png" "$work/$1.png"
  done
  return 1
}
# brightest NAME: the largest channel value in the shot, 0 to 1.
brightest() { convert "$work/$1.png" -format '%[fx:maxima]' info:; }

start_desktop() {
  start_xvfb "$1" || fail_now "no X server"
  start_window_manager || fail_now "no window manager"
}

stop_desktop() {
  stop_window_manager
  stop_xvfb
}

# Another program's window to give the focus to, at the screen's top left.
open_other_window() {
  xmessage -geometry 240x60+8+8 -title "another window" "another window" &
  other_pid=$!
  other=$(wait_for_window "$other_pid" 10 "another window") || fail_now "no other window"
}

focused() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
# gets_focus WINDOW: true once WINDOW has the focus, within 5 s: a window
# manager on a loaded machine switches late.
gets_focus() {
  for _ in $(seq 50); do
    if focused "$1"; then return 0; fi
    sleep 0.1
  done
  return 1
}
# alt_tab_to WINDOW: Alt+Tab, as a hand presses it (Alt held a moment, where
# xdotool's own alt+Tab lets it go at once); true once WINDOW has the focus.
# In CI the window manager has twice let a press pass (the focus never moved;
# alone, the test has always passed): then the press is said, with what had
# the focus and Alt's modifier, and made once more.
alt_tab_to() {
  local press
  for press in 1 2; do
    xdotool keydown alt key Tab
    sleep 0.3
    xdotool keyup alt
    sleep 0.5
    if gets_focus "$1"; then return 0; fi
    echo "     Alt+Tab press $press: the focus stayed on \"$(xdotool getactivewindow getwindowname 2>&1)\";" \
      "$(xkbcomp -xkb "$DISPLAY" - 2>/dev/null | grep -m1 'modifier_map Mod1' | tr -s ' ')" >&2
  done
  return 1
}

# --- Full screen on a 1280x720 screen: the picture is 960x720 at x = 160.
start_desktop 1280x720x24
SDL_AUDIODRIVER=dummy "$show" 2>"$work/fullscreen.err" &
show_pid=$!
id=$(wait_for_window "$show_pid") || fail_now "no show window"
# The show's clock starts as its window opens, after the media are loaded.
started=$SECONDS
sleep 1
xprop -id "$id" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN
check $? "the window manager holds the show full screen"
shot left 160x720+0+0
shot right 160x720+1120+0
shot picture 960x720+160+0
[ "$(brightest left)" = 0 ] && [ "$(brightest right)" = 0 ]
check $? "black bars left and right of the picture"
[ "$(brightest picture)" != 0 ]
check $? "the picture between them"

open_other_window
xdotool windowactivate --sync "$id"
alt_tab_to "$other"
check $? "Alt+Tab gives the focus to the other window"
shot away1 600x400+400+200
sleep 1
shot away2 600x400+400+200
same away1 away2
check $? "the full screen draws nothing while another window has the focus"

# The other window passes over the frozen picture and back: what it
# uncovered must be the show's last frame again, not a copy of the window.
settled before_move 600x300+500+300
xdotool windowmove --sync "$other" 600 400
sleep 0.3
xdotool windowmove --sync "$other" 8 8
becomes after_move before_move 600x300+500+300
check $? "a part of the inactive show that was covered shows its last frame again"

alt_tab_to "$id"
check $? "Alt+Tab gives the focus back to the show"
shot back1 600x400+400+200
sleep 1
shot back2 600x400+400+200
! same back1 back2
check $? "the show draws again once it has the focus back"

wait "$show_pid"
code=$?
show_pid=
took=$((SECONDS - started))
[ "$code" = 0 ] && [ "$took" -ge 94 ] && [ "$took" -le 102 ]
check $? "the show ends by itself on time (exit code $code after $took s)"
kill "$other_pid" 2>/dev/null
wait "$other_pid" 2>/dev/null
other_pid=
stop_desktop

# --- An ordinary window asked for 1280x960 on a 1024x768 screen.
start_desktop 1024x768x24
SDL_AUDIODRIVER=dummy "$show" --window=1280x960 2>"$work/window.err" &
show_pid=$!
id=$(wait_for_window "$show_pid") || fail_now "no show window"
sleep 1
frame_on_screen "$id" 1024 768
check $? "the window and its title bar lie on the screen"
[ "$(grep -c 'does not fit the 1024x768 desktop; using' "$work/window.err")" = 1 ]
check $? "one line says what size was used"

open_other_window
xdotool windowactivate --sync "$other"
sleep 0.5
gets_focus "$other"
check $? "the other window has the focus"
read -r x y < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} END {print x, y}')
shot unfocused1 "400x300+$((x + 200))+$((y + 150))"
sleep 1
shot unfocused2 "400x300+$((x + 200))+$((y + 150))"
! same unfocused1 unfocused2
check $? "the window plays on while another window has the focus"

asked=$SECONDS
wmctrl -c "$show_title"
wait "$show_pid"
code=$?
show_pid=
[ "$code" = 0 ] && [ $((SECONDS - asked)) -le 3 ]
check $? "closed by the window manager: exit code $code"
finish

# shellcheck shell=bash
# Sourced by the tests that need a desktop as users have one: openbox on the
# X server of DISPLAY, which decorates windows, keeps _NET_WM_STATE and moves
# the focus as a desktop's window manager does.

wm_pid=

# start_window_manager: starts openbox and waits until it manages the screen
# (it then names itself on the root window). Returns 2 with the reason on
# standard error when it does not within 10 s.
start_window_manager() {
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 100); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then return 0; fi
    if ! kill -0 "$wm_pid" 2>/dev/null; then
      echo "openbox did not start" >&2
      return 2
    fi
    sleep 0.1
  done
  echo "openbox did not take the screen within 10 s" >&2
  return 2
}

stop_window_manager() {
  if [ -n "$wm_pid" ]; then
    kill "$wm_pid" 2>/dev/null || true
    wait "$wm_pid" 2>/dev/null || true
  fi
  wm_pid=
}

# frame_on_screen ID WIDTH HEIGHT: true when window ID and the frame the
# window manager put around it lie wholly on a WIDTHxHEIGHT screen.
frame_on_screen() {
  local id=$1 width=$2 height=$3 x y w h left right top bottom
  read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    / Width:/ {w = $2} / Height:/ {h = $2} END {print x, y, w, h}')
  read -r left right top bottom < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
  echo "window ${w}x${h} at $x,$y, frame $left $right $top $bottom" >&2
  [ "$((x - left))" -ge 0 ] && [ "$((y - top))" -ge 0 ] &&
    [ "$((x + w + right))" -le "$width" ] && [ "$((y + h + bottom))" -le "$height" ]
}

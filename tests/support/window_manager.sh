# shellcheck shell=bash
# Sourced by the tests that need a desktop as users have one: openbox on the
# X server of DISPLAY, which decorates windows, keeps _NET_WM_STATE and moves
# the focus as a desktop's window manager does.

wm_pid=
wm_log=

# start_window_manager: starts openbox and waits until it manages the screen
# (it then names itself on the root window). An openbox that ends at once is
# started again, twice at most; returns 2 with its output on standard error
# when none takes the screen within 10 s.
start_window_manager() {
  local attempt
  wm_log=$(mktemp)
  for attempt in 1 2 3; do
    openbox --sm-disable >>"$wm_log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 100); do
      if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then return 0; fi
      kill -0 "$wm_pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$wm_pid" 2>/dev/null; then break; fi
    echo "openbox ended at once (attempt $attempt)" >>"$wm_log"
  done
  echo "openbox did not take the screen:" >&2
  cat "$wm_log" >&2
  return 2
}

stop_window_manager() {
  if [ -n "$wm_pid" ]; then
    kill "$wm_pid" 2>/dev/null || true
    wait "$wm_pid" 2>/dev/null || true
  fi
  wm_pid=
  [ -z "$wm_log" ] || rm -f "$wm_log"
  wm_log=
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

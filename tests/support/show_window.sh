# shellcheck shell=bash
# Sourced by the shell tests that watch the show on an X server: its window
# title, waiting for its window, and ending it.

show_title="Pixelfolk enjoy dance!"

# wait_for_window PID [SECONDS [TITLE]]: prints the X window id of the first
# visible window named TITLE (default the show's) once there is one. When
# process PID ends first, or SECONDS (default 60: start-up loads every
# picture first, and a sanitizer build is slow) pass without one, it says
# which on standard error and returns 1.
wait_for_window() {
  local pid=$1 seconds=${2:-60} title=${3:-$show_title} id
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "wait_for_window: process $pid ended before a window named \"$title\" appeared" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "wait_for_window: no window named \"$title\" within $seconds s" >&2
  return 1
}

# escape_window WINDOW: presses Escape in the show's window. The show closes
# that window on the press, so xdotool's release goes to a window that is gone
# and fails, leaving the server holding the key down; the next window to get
# the focus would be told Escape is held and end at once. The release is sent
# again to the server itself, which needs no window.
escape_window() {
  xdotool key --window "$1" Escape 2>/dev/null
  xdotool keyup Escape
}

#!/usr/bin/env bash
# Run on a 640x480x24 X server: the show on Wayland, under weston nested in
# that server (its X11 backend; the headless one has no seat, and SDL cannot
# start there), with SDL's Wayland driver and no X display of its own. A
# rehearsal paused at a show time fills weston's 640x480 output with exactly
# the capture tool's frame, and Escape ends it with code 0; a show in a
# window ends with code 0 when its close button is clicked.
#
#   wayland_show_test.sh SHOW_EXECUTABLE CAPTURE_EXECUTABLE SHOT_DIR
set -uo pipefail

show=${1:?usage: wayland_show_test.sh SHOW_EXECUTABLE CAPTURE_EXECUTABLE SHOT_DIR}
capture=${2:?}
shots=${3:?}
seek_time=20.25
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
command -v weston >/dev/null || fail_now "weston is not installed (scripts/install-deps)"
mkdir -p "$shots"
rm -f "$shots"/*.png

runtime=$(mktemp -d)
chmod 700 "$runtime"
weston_pid=
pid=
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
  rm -rf "$runtime"
}
trap cleanup EXIT

# The compositor draws into one X window the size of the X screen, at its
# corner: a screenshot of the X screen is one of weston's output.
XDG_RUNTIME_DIR=$runtime weston --backend=x11-backend.so --use-pixman --width=640 --height=480 --no-config \
  --idle-time=0 --socket=wayland-pixelfolk --log="$shots/weston.log" &
weston_pid=$!
for _ in $(seq 300); do
  [ -S "$runtime/wayland-pixelfolk" ] && break
  kill -0 "$weston_pid" 2>/dev/null || fail_now "weston ended: $(cat "$shots/weston.log")"
  sleep 0.1
done
[ -S "$runtime/wayland-pixelfolk" ] || fail_now "weston opened no socket within 30 s"
echo "ok   weston runs on $DISPLAY"
# Weston's pointer starts at its output's corner, and unless it sees the X
# pointer enter its window it follows the pointer's moves from there: the
# X pointer goes to the same corner first, so that both agree from then on.
xdotool mousemove 0 0

# The show sees Wayland alone.
on_wayland() {
  env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-pixelfolk SDL_VIDEODRIVER=wayland "$@"
}
shot() { import -window root -depth 8 "PNG24:$shots/$1.png"; }
differing() { compare -metric AE "$shots/$1.png" "$2" null: 2>&1 | cut -d' ' -f1; }

# wait_for_screen NAME REFERENCE SECONDS: until the screen equals REFERENCE;
# fails with the count of pixels that still differ.
wait_for_screen() {
  local d=
  for _ in $(seq $(($3 * 5))); do
    shot "$1"
    d=$(differing "$1" "$2")
    [ "$d" = 0 ] && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  echo "$d"
  return 1
}

# wait_for_end SECONDS: sets code to the show's exit code, or to 124 when it
# still runs after SECONDS (and is then stopped).
wait_for_end() {
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    wait "$pid"
    code=124
  else
    wait "$pid"
    code=$?
  fi
}

shot desktop

# 1. Full screen: the paused frame covers the output, the panel included.
"$capture" -q -C "$(dirname "$show")" --frame-at "$seek_time" --png "$shots/capture.png" || fail_now "capture at $seek_time"
on_wayland "$show" --rehearse --seek="$seek_time" --paused 2>"$shots/stderr.txt" &
pid=$!
# The first frame waits for the soundtrack to be rendered, which a loaded
# machine or a sanitizer build makes slow.
if differ=$(wait_for_screen fullscreen "$shots/capture.png" 60); then
  echo "ok   full screen on Wayland: the output shows the capture's frame at $seek_time s"
else
  fail "the output is not the frame at $seek_time s (${differ:-no} pixels differ); stderr: $(cat "$shots/stderr.txt")"
fi
# Keys reach weston through its X window, which has the keyboard while the
# pointer is over it.
xdotool mousemove 320 240 key Escape
wait_for_end 30
pid=
[ "$code" = 0 ] || fail "Escape: the show ended with code $code, not 0"
[ "$code" = 0 ] && echo "ok   Escape ended the show on Wayland with code 0"

# 2. In a window: weston frames no window itself, so the close button is the
# one libdecor draws at the right of the title bar, found as the top right
# of what the window changed on the desktop (the panel above left out).
on_wayland "$show" --window=400x300 2>"$shots/stderr.txt" &
pid=$!
box=
for _ in $(seq 300); do
  sleep 0.2
  shot window
  box=$(convert "$shots/desktop.png" "$shots/window.png" -compose difference -composite -crop 640x448+0+32 +repage \
    -threshold 25% -format '%@' info: 2>/dev/null)
  # The frame drawn: wider and taller than the picture alone.
  if [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -ge 400 ] &&
    [ "${BASH_REMATCH[2]}" -gt 300 ]; then
    break
  fi
  box=
  kill -0 "$pid" 2>/dev/null || break
done
if [ -z "$box" ]; then
  fail "no framed 400x300 window on the output; stderr: $(cat "$shots/stderr.txt")"
else
  right=$((BASH_REMATCH[3] + BASH_REMATCH[1]))
  top=$((BASH_REMATCH[4] + 32))
  echo "ok   a framed window at $box on the output"
  xdotool mousemove $((right - 15)) $((top + 12)) sleep 0.3 click 1
  wait_for_end 30
  pid=
  [ "$code" = 0 ] || fail "close button: the show ended with code $code, not 0"
  [ "$code" = 0 ] && echo "ok   its close button ended the show with code 0"
fi

finish

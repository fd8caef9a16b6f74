#!/usr/bin/env bash
# Run on a 640x480x24 X server: a rehearsal started paused at a show time
# shows exactly the capture tool's frame at that time, Space resumes and
# pauses it, and a picture changed on disk is reloaded at the same show time
# (replaced, broken, mended); then the show without --rehearse ignores the
# control keys and ends on time.
#
#   rehearse_test.sh SHOW_EXECUTABLE CAPTURE_EXECUTABLE SHOT_DIR
#
# RELOAD_LIMIT_MS bounds the wait for a reload (default 3000: the show polls
# twice a second, takes a changed file once it has stayed the same for one
# look, and loads the media in a few hundred milliseconds).
set -uo pipefail

show=${1:?usage: rehearse_test.sh SHOW_EXECUTABLE CAPTURE_EXECUTABLE SHOT_DIR}
capture=${2:?}
shots=${3:?}
reload_limit_ms=${RELOAD_LIMIT_MS:-3000}
seek_time=20.25
mkdir -p "$shots"
rm -f "$shots"/*.png
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=../support/show_window.sh
source "$(dirname "$0")/../support/show_window.sh"
# shellcheck source=../support/own_time.sh
source "$(dirname "$0")/../support/own_time.sh"

# The show's own folder, copied so that its pictures can be changed.
media=$(mktemp -d)
pid=
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$media"
}
trap cleanup EXIT
cp -r "$(dirname "$show")"/resinfo.rli "$(dirname "$show")"/data "$(dirname "$show")"/demo.xm "$media"/
cd "$media" || exit 1

# The window of the show just started, not one of a show that ended.
window_of() {
  local id=
  for _ in $(seq 600); do
    id=$(xdotool search --all --pid "$pid" --name "^${show_title}\$" 2>/dev/null | head -n1) && [ -n "$id" ] && break
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  echo "$id"
}

# The screen is the window's size, so the screen is the window.
shot() { import -window root -depth 8 "PNG24:$shots/$1.png"; }
differing() { compare -metric AE "$shots/$1.png" "$2" null: 2>&1 | cut -d' ' -f1; }

# Waits until the screen equals (or, with "differs", no longer equals) a
# picture; prints the milliseconds of the show's own time it took
# (tests/support/own_time.sh), and fails once a screenshot taken after LIMIT
# ms of it (default the reload limit) still shows the old picture.
wait_for_screen() {
  local name=$1 reference=$2 want=${3:-equals} limit=${4:-$reload_limit_ms} taken d
  own_time_start "$pid"
  while :; do
    own_time_poll
    taken=$(own_time_ms all)
    shot "$name"
    d=$(differing "$name" "$reference")
    if { [ "$want" = equals ] && [ "$d" = 0 ]; } || { [ "$want" = differs ] && [ "$d" != 0 ]; }; then
      echo "$taken"
      return 0
    fi
    [ "$taken" -gt "$limit" ] && { echo "$d"; return 1; }
    sleep 0.1
  done
}

"$capture" -q -C "$media" --frame-at "$seek_time" --png "$shots/capture.png" || fail "capture at $seek_time"

"$show" --rehearse --seek="$seek_time" --paused --window=640x480 2>"$shots/stderr.txt" &
pid=$!
window=$(window_of) || fail_now "no window: $(cat "$shots/stderr.txt")"
# The first frame waits for the soundtrack to be rendered, which a loaded
# machine or a sanitizer build makes slow.
if ! took=$(wait_for_screen paused "$shots/capture.png" equals 15000); then
  fail "paused at $seek_time: $took pixels differ from the capture"
fi
sleep 0.5
shot still-paused
[ "$(differing still-paused "$shots/paused.png")" = 0 ] || fail "the paused picture moved"

# Space resumes: the picture moves on; Space again holds it.
xdotool key --window "$window" space
sleep 0.6
shot resumed
[ "$(differing resumed "$shots/paused.png")" != 0 ] || fail "Space did not resume"
xdotool key --window "$window" space
sleep 0.3
shot paused-again
sleep 0.5
shot held
[ "$(differing held "$shots/paused-again.png")" = 0 ] || fail "Space did not pause again"

# Back to the time sought, paused: Page Up goes to the opening's start, and
# '.' steps; the capture of that time is the reference for the reloads.
xdotool key --window "$window" Home
sleep 0.3
shot home
"$capture" -q -C "$media" --frame-at 0 --png "$shots/capture-0.png" || fail "capture at 0"
[ "$(differing home "$shots/capture-0.png")" = 0 ] || fail "Home: not the frame at 0"

# The background replaced on disk: the same show time, on the new picture.
cp data/jpgs/backdrop.jpg "$shots/backdrop-good.jpg"
convert -size 640x480 gradient:red-blue -quality 90 "$shots/backdrop-new.jpg"
cp "$shots/backdrop-new.jpg" data/jpgs/backdrop.jpg
"$capture" -q -C "$media" --frame-at 0 --png "$shots/capture-0-new.png" || fail "capture with the new background"
if took=$(wait_for_screen replaced "$shots/capture-0-new.png"); then
  echo "ok   replaced picture shown after ${took} ms"
else
  fail "replaced picture not shown within ${reload_limit_ms} ms ($took pixels differ)"
fi

# Broken: the picture stays, the message is reported; H shows it over the scene.
printf 'no picture' > data/jpgs/backdrop.jpg
own_time_start "$pid"
until grep -q "reload: data/jpgs/backdrop.jpg" "$shots/stderr.txt"; do
  [ "$(own_time_ms all)" -gt "$reload_limit_ms" ] && { fail "broken picture not reported"; break; }
  sleep 0.1
  own_time_poll
done
shot broken
[ "$(differing broken "$shots/capture-0-new.png")" = 0 ] || fail "the last good picture did not stay"
xdotool key --window "$window" h
sleep 0.3
shot overlay
[ "$(differing overlay "$shots/broken.png")" != 0 ] || fail "H showed no overlay"
xdotool key --window "$window" h

# Mended: the original picture again.
cp "$shots/backdrop-good.jpg" data/jpgs/backdrop.jpg
if took=$(wait_for_screen mended "$shots/capture-0.png"); then
  echo "ok   mended picture shown after ${took} ms"
else
  fail "mended picture not shown within ${reload_limit_ms} ms ($took pixels differ)"
fi

escape_window "$window"
wait "$pid"
code=$?
pid=
[ "$code" -eq 0 ] || fail "Escape ended the rehearsal with code $code"

# Without --rehearse the keys do nothing: started 5 s before the end, the
# show ends on time however Space, Home and the arrows are pressed.
started=$(now_ms)
"$show" --seek=91 --window=640x480 2>>"$shots/stderr.txt" &
pid=$!
window=$(window_of) || fail_now "no window for --seek=91"
start=$(now_ms)
echo "     --seek=91: window $window after $((start - started)) ms"
# Timed in the show's own time: on a busy machine its wait for a processor
# would stretch the 5 s.
own_time_start "$pid"
for key in space Home Left Prior space h; do
  xdotool key --window "$window" "$key"
  own_time_poll
  sleep 0.2
done
while kill -0 "$pid" 2>/dev/null; do
  own_time_poll
  sleep 0.05
done
wait "$pid"
code=$?
pid=
# The main thread's wait alone: the threads that render the music ahead wait
# beside it, and all their waits together would exceed the time they cost it.
elapsed=$(own_time_ms main)
[ "$code" -eq 0 ] || fail "--seek=91 ended with code $code"
if [ "$elapsed" -lt 3500 ] || [ "$elapsed" -gt 8000 ]; then
  fail "--seek=91 ended after ${elapsed} ms of its own time, not about 5 s: a key acted"
else
  echo "ok   --seek=91 ended by itself after ${elapsed} ms of its own time ($(( $(now_ms) - start )) ms)"
fi

finish

#!/usr/bin/env bash
# The show's failures as a user meets them, headless (messages go to standard
# error): a missing or bad resource list, a missing picture, no display, no
# music file, no sound device.
#
#   show_errors_test.sh SHOW_EXECUTABLE
set -uo pipefail

show=${1:?usage: show_errors_test.sh SHOW_EXECUTABLE}
showdir=$(cd "$(dirname "$show")" && pwd)
show=$showdir/$(basename "$show")
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# shellcheck source=../support/interrupt.sh
source "$(dirname "$0")/../support/interrupt.sh"
failures=0

# expect NAME CODE TEXT -- runs the show in the current directory to its end.
expect() {
  local name=$1 code=$2 text=$3
  "$show" >"$scratch/out" 2>"$scratch/err"
  local got=$?
  if [ "$got" -eq "$code" ] && grep -qF -- "$text" "$scratch/err"; then
    echo "ok   $name"
  else
    echo "FAIL $name: exit code $got (want $code), stderr:" >&2
    sed 's/^/     /' "$scratch/err" >&2
    failures=$((failures + 1))
  fi
}

# expect_running NAME TEXT -- the show keeps running with TEXT on stderr, and
# an interrupt (SDL turns it into a quit request) ends it with code 0.
expect_running() {
  local name=$1 text=$2
  "${interruptible[@]}" "$show" >"$scratch/out" 2>"$scratch/err" &
  local pid=$!
  wait_interruptible "$pid"
  sleep 2
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    echo "FAIL $name: ended early with code $?" >&2
    sed 's/^/     /' "$scratch/err" >&2
    failures=$((failures + 1))
    return
  fi
  kill -INT "$pid"
  wait "$pid"
  local got=$?
  if [ "$got" -eq 0 ] && grep -qF -- "$text" "$scratch/err"; then
    echo "ok   $name"
  else
    echo "FAIL $name: exit code $got after the interrupt, stderr:" >&2
    sed 's/^/     /' "$scratch/err" >&2
    failures=$((failures + 1))
  fi
}

# A copy of the executable away from any show looks in the working directory
# and beside itself, and names both.
mkdir -p "$scratch/empty" "$scratch/bin" && cp "$show" "$scratch/bin/" && cd "$scratch/empty" || exit 1
show=$scratch/bin/$(basename "$show") expect "no resource list" 1 \
  "Error: Couldn't find resinfo.rli in $scratch/empty or $scratch/share/pixelfolk."
# The build's own executable finds the show the build wrote: it loads all of
# it and only then meets the missing display.
SDL_VIDEODRIVER=no-such-driver expect "built show found from elsewhere" 1 "cannot open the display"

mkdir "$scratch/badline" && cd "$scratch/badline" || exit 1
printf '. a comment\n\nfont 3\n' >resinfo.rli
expect "bad type on line 3" 1 \
  "Error: Syntax error in resourcetype field at line 3 in file resinfo.rli. 3 found, expected 1 or 2"

mkdir "$scratch/nopicture" && cd "$scratch/nopicture" || exit 1
printf 'nothere 1\n' >resinfo.rli
expect "missing picture (file)" 1 "Error: Couldn't load the image data/jpgs/nothere.jpg."
expect "missing picture (line)" 1 "Error: Error loading image at line 1 in the resfile resinfo.rli."

# The real show's media, without its music.
mkdir "$scratch/silent" && cd "$scratch/silent" || exit 1
ln -s "$showdir/data" data && cp "$showdir/resinfo.rli" .
SDL_VIDEODRIVER=no-such-driver expect "no display" 1 "cannot open the display"
expect_running "no music file" 'Music file "demo.xm" not loaded'

cd "$showdir" || exit 1
SDL_AUDIODRIVER=no-such-driver expect_running "no sound device" "Sound unavailable"

[ "$failures" -eq 0 ]

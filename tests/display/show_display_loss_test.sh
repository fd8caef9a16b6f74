#!/usr/bin/env bash
# Asks the show to quit (SIGTERM) and takes its X server away while it closes
# its window, several times, each on a fresh private server. Whichever of the
# two it notices first, the show must end by itself with code 0 or 1, never
# with a signal (a heap-corruption abort is 134, a crash 139).
#
#   show_display_loss_test.sh SHOW_EXECUTABLE [ROUNDS]
#
# The server is killed 30 to 100 ms after the signal, as when a user's session
# ends; the show is then usually in the middle of closing its renderer, where
# the lost connection once aborted it with a corrupted heap in about one run
# in six. The rounds spread the delay over that window; the test is a net of
# chances, not a certainty, for such a fault.
set -uo pipefail

show=${1:?usage: show_display_loss_test.sh SHOW_EXECUTABLE [ROUNDS]}
rounds=${2:-4}
title="Pixelfolk enjoy dance!"
cd "$(dirname "$show")" || exit 1

workdir=$(mktemp -d)
xvfb_pid=
show_pid=
cleanup() {
  [ -n "$show_pid" ] && kill -KILL "$show_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill -KILL "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT
fail() { echo "show_display_loss_test: round $round: $*" >&2; exit 1; }

for round in $(seq "$rounds"); do
  : >"$workdir/display"
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$workdir/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$workdir/display" ] && break; sleep 0.05; done
  [ -s "$workdir/display" ] || fail "Xvfb did not start"
  export DISPLAY=:$(head -n1 "$workdir/display")

  "$show" 2>"$workdir/stderr" &
  show_pid=$!
  # Start-up loads every picture first; allow for a slow (sanitizer) build.
  window=
  for _ in $(seq 600); do
    window=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    kill -0 "$show_pid" 2>/dev/null || fail "the show ended before its window appeared"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window within 60 s"
  sleep 0.5  # frames and music running

  delays=(0.03 0.05 0.07 0.1)
  kill -TERM "$show_pid"
  sleep "${delays[$(((round - 1) % ${#delays[@]}))]}"
  kill -KILL "$xvfb_pid"
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=

  code=
  for _ in $(seq 100); do
    if ! kill -0 "$show_pid" 2>/dev/null; then
      wait "$show_pid"
      code=$?
      break
    fi
    sleep 0.05
  done
  [ -n "$code" ] || fail "still running 5 s after losing its X server"
  show_pid=
  echo "show_display_loss_test: round $round ended with code $code"
  if [ "$code" -ne 0 ] && [ "$code" -ne 1 ]; then
    sed 's/^/  /' "$workdir/stderr" >&2
    fail "exit code $code"
  fi
done

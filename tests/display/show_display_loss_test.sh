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
here=$(dirname "$0")
# shellcheck source=../support/checks.sh
source "$here/../support/checks.sh"
# shellcheck source=../support/show_window.sh
source "$here/../support/show_window.sh"
# shellcheck source=../support/xvfb.sh
source "$here/../support/xvfb.sh"
# shellcheck source=../support/own_time.sh
source "$here/../support/own_time.sh"
cd "$(dirname "$show")" || exit 1

workdir=$(mktemp -d)
show_pid=
cleanup() {
  [ -n "$show_pid" ] && kill -KILL "$show_pid" 2>/dev/null
  stop_xvfb KILL
  rm -rf "$workdir"
}
trap cleanup EXIT

for round in $(seq "$rounds"); do
  start_xvfb 640x480x24 || fail_now "round $round: no X server"

  "$show" 2>"$workdir/stderr" &
  show_pid=$!
  wait_for_window "$show_pid" >/dev/null || fail_now "round $round: no window"
  sleep 0.5  # frames and music running

  delays=(0.03 0.05 0.07 0.1)
  kill -TERM "$show_pid"
  sleep "${delays[$(((round - 1) % ${#delays[@]}))]}"
  stop_xvfb KILL

  # Timed in the show's own time: on a busy machine its wait for a processor
  # is the machine's.
  code=
  own_time_start "$show_pid"
  while [ "$(own_time_ms all)" -le 5000 ]; do
    if ! kill -0 "$show_pid" 2>/dev/null; then
      wait "$show_pid"
      code=$?
      break
    fi
    sleep 0.05
    own_time_poll
  done
  [ -n "$code" ] || fail_now "round $round: still running 5 s of its own time after losing its X server"
  show_pid=
  echo "show_display_loss_test: round $round ended with code $code"
  if [ "$code" -ne 0 ] && [ "$code" -ne 1 ]; then
    sed 's/^/  /' "$workdir/stderr" >&2
    fail_now "round $round: exit code $code"
  fi
done

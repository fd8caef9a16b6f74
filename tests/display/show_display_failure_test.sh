#!/usr/bin/env bash
# Starts the show where no display can be opened (X11 video without an X
# server) and expects exit code 1 with the reason as one line on standard
# error, after the media were loaded.
#
#   show_display_failure_test.sh SHOW_EXECUTABLE
set -uo pipefail

show=${1:?usage: show_display_failure_test.sh SHOW_EXECUTABLE}
cd "$(dirname "$show")" || exit 1
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy timeout 60 "$show" 2>"$errors"
code=$?
cat "$errors" >&2
if [ "$code" -ne 1 ]; then
  echo "show_display_failure_test: exit code $code, expected 1" >&2
  exit 1
fi
if [ "$(grep -c 'cannot open the display' "$errors")" -ne 1 ] || [ "$(wc -l <"$errors")" -ne 1 ]; then
  echo "show_display_failure_test: expected exactly one line giving the reason" >&2
  exit 1
fi

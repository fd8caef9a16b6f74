#!/usr/bin/env bash
# Starts the show where no display can be had and expects exit code 1 with
# the reason as one line on standard error, after the media were loaded,
# within a few seconds: once with X11 video asked for but no X server, once
# with nothing asked for, where SDL would fall back to running unseen.
#
#   show_display_failure_test.sh SHOW_EXECUTABLE
set -uo pipefail

show=${1:?usage: show_display_failure_test.sh SHOW_EXECUTABLE}
cd "$(dirname "$show")" || exit 1
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
status=0

# driver (empty: SDL_VIDEODRIVER unset) and what the line must say
for case in "x11|cannot open the display" "|no display to show the picture on"; do
  driver=${case%%|*}
  expected=${case#*|}
  settings=(-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy)
  if [ -n "$driver" ]; then settings+=(SDL_VIDEODRIVER="$driver"); fi
  started=$SECONDS
  env "${settings[@]}" timeout 60 "$show" 2>"$errors"
  code=$?
  took=$((SECONDS - started))
  cat "$errors" >&2
  label="SDL_VIDEODRIVER=${driver:-(unset)}"
  if [ "$code" -ne 1 ]; then
    echo "show_display_failure_test: $label: exit code $code, expected 1" >&2
    status=1
  elif [ "$(grep -c -F "$expected" "$errors")" -ne 1 ] || [ "$(wc -l <"$errors")" -ne 1 ]; then
    echo "show_display_failure_test: $label: expected exactly one line saying '$expected'" >&2
    status=1
  elif [ "$took" -gt 10 ]; then
    echo "show_display_failure_test: $label: took $took s to give up" >&2
    status=1
  fi
done
exit "$status"

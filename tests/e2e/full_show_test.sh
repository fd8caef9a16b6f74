#!/usr/bin/env bash
# Run on an X server: the whole show in a real window, with screenshots of
# every scene checked as they are taken, ending by itself with exit code 0.
#
#   full_show_test.sh SHOW_EXECUTABLE SCENE_CHECK SHOT_DIR
set -uo pipefail

show=${1:?usage: full_show_test.sh SHOW_EXECUTABLE SCENE_CHECK SHOT_DIR}
check=${2:?}
shots=${3:?}
here=$(dirname "$0")
# shellcheck source=../support/checks.sh
source "$here/../support/checks.sh"
# shellcheck source=../support/show_window.sh
source "$here/../support/show_window.sh"
mkdir -p "$shots"
cd "$(dirname "$show")" || exit 1

"$show" 2>"$shots/stderr.txt" &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null' EXIT

# The show's clock starts when its window is up; screenshot times count from then.
wait_for_window "$pid" >/dev/null || fail_now "no window: $(cat "$shots/stderr.txt")"
start=$(date +%s%N)
now() { echo $(( ($(date +%s%N) - start) / 1000000 )); }

while read -r scene at; do
  due=$(awk -v s="$at" 'BEGIN { printf "%d", s * 1000 }')
  while [ "$(now)" -lt "$due" ]; do sleep 0.05; done
  kill -0 "$pid" 2>/dev/null || fail_now "the show ended before the $scene screenshot"
  import -window root "$shots/$scene.png" || fail_now "screenshot failed"
  echo "== $scene at $(now) ms"
  "$check" "$scene" "$shots/$scene.png" || fail "the $scene screenshot"
done < <("$check" times demo.xm)

wait "$pid"
code=$?
elapsed=$(now)
echo "full_show_test: the show ended by itself with code $code after ${elapsed} ms"
[ "$code" -eq 0 ] || fail "exit code $code"
# 96 s of show after the window appeared, plus the time to close.
if [ "$elapsed" -lt 95000 ] || [ "$elapsed" -gt 100000 ]; then
  fail "expected the end about 96 s after the window appeared"
fi
finish

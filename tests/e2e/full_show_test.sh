#!/usr/bin/env bash
# Run on an X server: the whole show in a real window, with screenshots of
# every scene checked as they are taken, ending by itself with exit code 0.
#
#   full_show_test.sh SHOW_EXECUTABLE SCENE_CHECK SHOT_DIR
set -uo pipefail

show=${1:?usage: full_show_test.sh SHOW_EXECUTABLE SCENE_CHECK SHOT_DIR}
check=${2:?}
shots=${3:?}
title="Pixelfolk enjoy dance!"
mkdir -p "$shots"
cd "$(dirname "$show")" || exit 1

"$show" 2>"$shots/stderr.txt" &
pid=$!
fail() { echo "full_show_test: $*" >&2; kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; exit 1; }

# The show's clock starts when its window is up; screenshot times count from then.
for _ in $(seq 600); do
  xdotool search --name "^${title}\$" >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || fail "the show ended before its window appeared: $(cat "$shots/stderr.txt")"
  sleep 0.1
done
start=$(date +%s%N)
now() { echo $(( ($(date +%s%N) - start) / 1000000 )); }

status=0
while read -r scene at; do
  due=$(awk -v s="$at" 'BEGIN { printf "%d", s * 1000 }')
  while [ "$(now)" -lt "$due" ]; do sleep 0.05; done
  kill -0 "$pid" 2>/dev/null || fail "the show ended before the $scene screenshot"
  import -window root "$shots/$scene.png" || fail "screenshot failed"
  echo "== $scene at $(now) ms"
  "$check" "$scene" "$shots/$scene.png" || status=1
done < <("$check" times demo.xm)

wait "$pid"
code=$?
elapsed=$(now)
echo "full_show_test: the show ended by itself with code $code after ${elapsed} ms"
[ "$code" -eq 0 ] || status=1
# 96 s of show after the window appeared, plus the time to close.
if [ "$elapsed" -lt 95000 ] || [ "$elapsed" -gt 100000 ]; then
  echo "full_show_test: expected the end about 96 s after the window appeared" >&2
  status=1
fi
exit $status

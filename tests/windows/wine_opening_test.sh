#!/usr/bin/env bash
# Run on an X server (scripts/with-xvfb): the released show under Wine opens
# its window with the show's title, draws the opening scene as the Linux
# capture tool draws it for the same moment of the music, and ends with exit
# code 0 on Escape.
#
#   wine_opening_test.sh RELEASE.zip CAPTURE_TOOL NATIVE_SHOW_DIR WORK_DIR
#
# The moment of the screenshot is known only to within the time the
# screenshot takes, so the capture tool draws every 60-fps frame of show time
# around it and the closest one must match: the background moves with the
# time and the picture in the middle follows the note count, so only the
# right moment of the right scene matches (see the tolerance below). The
# show plays on SDL's dummy sound driver, like the Linux end-to-end run, so
# that its music starts with its clock as in the capture tool, not after
# whatever Wine's sound system takes to fail or start.
set -uo pipefail
zip=${1:?usage: wine_opening_test.sh RELEASE.zip CAPTURE_TOOL NATIVE_SHOW_DIR WORK_DIR}
capture=${2:?}
native_show=${3:?}
work=${4:?}
source "$(dirname "$0")/wine_env.sh"

# The screenshot is taken this long after the window appears; candidates
# cover show times from half a second before it starts to a little after it
# ends (the show's clock starts a little after its window appears).
shot_after=4
# A pixel matches when every channel is within 10% of the reference: that
# absorbs the background's sub-pixel position (the live show's frame times
# are not the capture's 60-fps grid) and a 16-bit display's rounding. The
# closest frame must match in 99% of the pixels. That is far from what a
# wrong picture gives: the frames 1/60 s, 2/60 s and 3/60 s apart already
# differ in 0.2%, 0.7% and 1.4% of their pixels (the background moves), and
# another picture in the middle changes 6-8%.
fuzz=10%
max_mismatch_share=1

rm -rf "$work" && mkdir -p "$work/release" || exit 1

dir=$(unpack "$zip" "$work/release") || { check 1 "unpack $zip"; finish; }
start_show "$dir" SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software
window=$(wait_for_window "$show_pid" 60)
check $? "a window titled \"$show_title\" opens"
[ -n "$window" ] || finish
start=$(date +%s%N)

sleep "$shot_after"
before=$(ms_since "$start")
import -window root "$work/shot.png"
check $? "screenshot after ${shot_after} s"
after=$(ms_since "$start")
echo "     taken between $before and $after ms after the window appeared"
from=$(awk -v t="$before" 'BEGIN { t = t / 1000 - 0.5; printf "%.3f", t < 0 ? 0 : t }')
to=$(awk -v t="$after" 'BEGIN { printf "%.3f", t / 1000 + 0.3 }')

press_key "$window" Escape
wait_exit 15
code=$?
[ "$code" -eq 0 ]
check $? "Escape ends the show with exit code 0 (got $code)"

# The reference frames, drawn on Linux from the same media. The live show's
# music starts after its clock by the time the module takes to load and the
# sound output to open, a few tenths of a second under Wine on a busy
# machine; the capture tool models that as --load-delay. The counts, and so
# the picture in the middle, lag by that much: later delays are tried only
# when the earlier ones give no match.
pixels=$((640 * 480))
best=-1
best_count=999999999
best_frame=
# search DIR FRAME-NUMBERS...: the closest of these frames so far.
search() {
  local dir=$1 i n frame
  shift
  for i in "$@"; do
    frame=$(printf '%s/frame-%06d.png' "$dir" "$i")
    [ -f "$frame" ] || continue
    n=$(compare -metric AE -fuzz "$fuzz" "$work/shot.png" "$frame" null: 2>&1 >/dev/null)
    n=${n%%.*}
    [[ "$n" =~ ^[0-9]+$ ]] || continue
    if [ "$n" -lt "$best_count" ]; then best_count=$n best=$i best_frame=$frame; fi
  done
}
matched=1
for delay in 0 0.2 0.4 0.6; do
  dir=$work/frames-$delay
  if ! "$capture" -C "$native_show" -q --fps 60 --from "$from" --to "$to" --load-delay "$delay" \
    --frames "$dir" >"$work/capture.log" 2>&1; then
    check 1 "capture tool draws the reference frames"
    cat "$work/capture.log" >&2
    finish
  fi
  frames=$(find "$dir" -name 'frame-*.png' | wc -l)
  best=-1 best_count=999999999
  # Every sixth frame first, then the frames around the closest of those.
  search "$dir" $(seq 0 6 $((frames - 1)))
  [ "$best" -ge 0 ] && search "$dir" $(seq $((best - 5)) $((best + 5)))
  echo "     music $delay s late: closest of the frames from $from to $to s at show time" \
    "$(awk -v f="$from" -v i="$best" 'BEGIN { printf "%.3f", f + i / 60 }') s, $best_count of $pixels pixels differ"
  if [ "$best" -ge 0 ] && [ $((best_count * 100)) -le $((pixels * max_mismatch_share)) ]; then
    matched=0
    cp "$best_frame" "$work/reference.png"
    break
  fi
done
check $matched "the screenshot shows the opening as the capture tool draws it (at most ${max_mismatch_share}% of pixels off by more than $fuzz)"
finish

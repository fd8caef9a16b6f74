#!/usr/bin/env bash
# Run on an X server: the whole show through a private PulseAudio server
# (support/pulse.sh), its sound recorded from the null sink's monitor and
# matched against the soundtrack by sound_match.
#
#   sound_show_test.sh MODE SHOW_EXECUTABLE SOUND_MATCH SCREEN_PROBE WORK_DIR
#
# restart: the server is killed 30 s into the show and started again a second
#   later. The sound is heard and matches the soundtrack before; it is back
#   within 2 s of the restart, at the place the show's clock is at.
# load: two busy processes per processor all along. No silence longer than
#   5 ms is inserted into the music.
# suspend: the sink is suspended for 10 s from 20 s into the show. The title
#   still comes within a frame of its time on the show's clock, and the sound
#   is back within a second of the sink.
set -uo pipefail

mode=${1:?usage: sound_show_test.sh restart|load|suspend SHOW_EXECUTABLE SOUND_MATCH SCREEN_PROBE WORK_DIR}
show=${2:?}
match=${3:?}
probe=${4:?}
work=${5:?}
here=$(dirname "$0")
# shellcheck source=../support/checks.sh
source "$here/../support/checks.sh"
test_name="sound_show_test $mode"
# shellcheck source=../support/show_window.sh
source "$here/../support/show_window.sh"
# shellcheck source=../support/pulse.sh
source "$here/../support/pulse.sh"
# shellcheck source=../support/moments.sh
source "$here/../support/moments.sh"
case $mode in restart | load | suspend) ;; *) fail_now "unknown mode $mode" ;; esac
rm -rf "$work"
mkdir -p "$work"
cd "$(dirname "$show")" || exit 1
# The driver the show picks itself, as on a user's desktop.
unset SDL_AUDIODRIVER

pid=
recorders=()
busy=()
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
  local p
  for p in "${busy[@]}" "${recorders[@]}" $pid; do kill "$p" 2>/dev/null; done
  for p in "${busy[@]}" "${recorders[@]}" $pid; do wait "$p" 2>/dev/null; done
  stop_pulse KILL
  stop_pulse
}
trap cleanup EXIT

# record N: records the sink's monitor into $work/recording-N.raw (with its
# arrival times) until the server goes away or parec is stopped.
parecs=()
record() {
  mkfifo "$work/pipe-$1"
  "$match" record "$work/recording-$1.raw" <"$work/pipe-$1" &
  recorders+=($!)
  parec -d show.monitor --raw --format=s16le --rate=44100 --channels=2 --latency-msec=20 >"$work/pipe-$1" &
  parecs+=($!)
  recorders+=($!)
}

start_pulse || fail_now "no PulseAudio server"
record 1
if [ "$mode" = load ]; then
  for _ in $(seq $(($(nproc) * 2))); do
    (while :; do :; done) &
    busy+=($!)
  done
fi

"$show" 2>"$work/stderr.txt" &
pid=$!
window=$(wait_for_window "$pid") || fail_now "no window: $(cat "$work/stderr.txt")"
started=$(wall)
if [ "$mode" = suspend ]; then
  "$probe" "$window" "$work/screen.probe" &
  recorders+=($!)
fi

if [ "$mode" = suspend ]; then
  sleep_until "$started" 20
  pactl suspend-sink show 1 || fail "the sink cannot be suspended"
  sleep_until "$started" 30
  pactl suspend-sink show 0 || fail "the sink cannot be resumed"
  resumed=$(wall)
fi

restarted=
if [ "$mode" = restart ]; then
  sleep_until "$started" 30
  stop_pulse KILL
  sleep 1
  start_pulse || fail_now "PulseAudio did not start again"
  restarted=$(wall)
  # A null sink that starts with nothing connected renders one block of its
  # longest latency (2 s) before any other: nothing is played or recorded
  # until then, whoever connects. Suspended, and resumed once the recorder is
  # connected, it starts at the recorder's latency, as a sound card starts
  # when it is opened: the wait measured is then the show's.
  pactl suspend-sink show 1 || fail "the sink cannot be suspended"
  record 2
  for _ in $(seq 100); do
    [ -z "$(pactl list short source-outputs)" ] || break
    sleep 0.02
  done
  pactl suspend-sink show 0 || fail "the sink cannot be resumed"
fi

wait "$pid"
code=$?
pid=
check "$code" "the show ends by itself with code 0 (code $code)"
sleep 0.3
# parec first: its recorder then ends with everything written.
for p in "${parecs[@]}"; do kill "$p" 2>/dev/null; done
for p in "${recorders[@]}"; do wait "$p" 2>/dev/null; done
recorders=()

recordings=("$work/recording-1.raw")
[ -z "$restarted" ] || recordings+=("$work/recording-2.raw")
"$match" compare demo.xm "${recordings[@]}" >"$work/match.txt" || fail_now "sound_match failed"
cat "$work/match.txt"

# Field VALUE of the stretches of recording N, of those that start after wall
# time SINCE when given: "longest" for the longest one, "first" for the first
# half second or more that matches the soundtrack (dropouts may spoil its
# correlation as a whole), "sure" for the first that is surely the soundtrack
# (a second long or more, correlation 0.99 or more).
stretch_field() {
  awk -v n="$1" -v which="$2" -v f="$3" -v since="${4:-0}" '
    /^recording/ { r++ }
    r == n && /^stretch/ {
      len = $5 - $3
      for (i = 1; i < NF; i++) v[$i] = $(i + 1)
      if (v["start_wall"] <= since) next
      sure = len >= 1 && v["correlation"] >= 0.99
      if ((which == "first" && len >= 0.5 && !found) || (which == "sure" && sure && !found) ||
          (which == "longest" && len > best)) { best = len; out = v[f]; found = 1 }
    }
    END { if (found) print out; else print "none" }' "$work/match.txt"
}

# check_back N SINCE LIMIT WHAT: the sound of recording N is back within LIMIT
# seconds of wall time SINCE, when WHAT came back; returns 1 when it never is.
check_back() {
  local back after_s
  back=$(stretch_field "$1" first start_wall "$2")
  if [ "$back" = none ]; then
    fail "the sound never comes back after $4"
    return 1
  fi
  after_s=$(awk -v b="$back" -v s="$2" 'BEGIN { printf "%.2f", b - s }')
  awk -v a="$after_s" -v l="$3" 'BEGIN { exit !(a <= l) }'
  check $? "the sound is back ${after_s} s after $4 (at most $3 s)"
}

# The music as heard: the soundtrack itself, at its level, over a long stretch.
longest=$(awk '/^recording/ { r++ } r == 1 && /^stretch/ && $5 - $3 > m { m = $5 - $3 } END { print m + 0 }' "$work/match.txt")
correlation=$(stretch_field 1 longest correlation)
level=$(stretch_field 1 longest level)
reference=$(stretch_field 1 longest soundtrack_level)
# The soundtrack sounds for 88 s and the recording starts a moment after the
# music: a whole show heard unbroken is a stretch of some 87 s.
case $mode in restart | suspend) need=18 ;; *) need=86 ;; esac
awk -v l="$longest" -v need="$need" 'BEGIN { exit !(l >= need) }'
check $? "the sound matches the soundtrack for ${longest} s unbroken"
awk -v c="$correlation" 'BEGIN { exit !(c != "none" && c >= 0.99) }'
check $? "correlation with the soundtrack $correlation (at least 0.99)"
awk -v a="$level" -v b="$reference" 'BEGIN { d = a - b; exit !(a != "none" && d < 1 && d > -1) }'
check $? "level $level dBFS against the soundtrack's $reference dBFS (within 1 dB)"

if [ "$mode" = load ]; then
  silences=$(awk '/^silences/ { print $2 " totalling " $4 " ms, the longest " $6 " ms"; exit }' "$work/match.txt")
  grep -q '^silences 0 ' "$work/match.txt"
  check $? "no silence of 5 ms or more inserted under load ($silences)"
fi

if [ -n "$restarted" ]; then
  grep -q "pulseaudio" "$work/stderr.txt"
  check $? "the show says what happened to its pulseaudio output: $(tr '\n' ' ' <"$work/stderr.txt")"
  if check_back 2 "$restarted" 2 "the server"; then
    before=$(stretch_field 1 sure music_zero_wall)
    after=$(stretch_field 2 sure music_zero_wall)
    # Where the music is against the wall clock, before and after: the same
    # place within about a frame when it follows the show's clock.
    shift_ms=$(awk -v a="$after" -v b="$before" 'BEGIN { printf "%.1f", (a - b) * 1000 }')
    awk -v s="$shift_ms" 'BEGIN { exit !(s < 20 && s > -20) }'
    check $? "the music comes back where the clock is: ${shift_ms} ms off (within 20 ms)"
  fi
fi
if [ "$mode" = suspend ]; then
  # The music before the suspend says where the show's clock is, as heard;
  # the title after it must be shown within a frame of its time there.
  "$match" marks demo.xm >"$work/marks.txt"
  title=$(awk '$1 == "title" { print $2 }' "$work/marks.txt")
  zero=$(stretch_field 1 sure music_zero_wall)
  [ "$zero" != none ] || fail_now "no music before the suspend"
  due=$(awk -v z="$zero" -v t="$title" 'BEGIN { printf "%.6f", z + t }')
  read -r title_wall _ < <("$match" shown "$work/screen.probe" "$due" 3)
  [ -n "$title_wall" ] || fail_now "no picture change within 3 s of the title's time"
  late_ms=$(awk -v w="$title_wall" -v d="$due" 'BEGIN { printf "%.1f", (w - d) * 1000 }')
  awk -v l="$late_ms" 'BEGIN { exit !(l <= 17 && l >= -17) }'
  check $? "the title comes ${late_ms} ms off its clock time after the suspend (within a frame)"
  # The ten seconds missed are played on unheard, quickly.
  check_back 1 "$resumed" 1 "the sink"
fi
finish

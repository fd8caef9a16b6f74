# shellcheck shell=bash
# Sourced by the tests and benches that act on the show at given moments of
# its run (stop the sound server, suspend the sink): wall-clock time, and
# sleeping until a moment.

wall() { date +%s.%N; }

# sleep_until STARTED SECONDS: sleeps until SECONDS after wall time STARTED
# (at once when that has passed).
sleep_until() {
  sleep "$(awk -v s="$1" -v t="$2" -v n="$(wall)" 'BEGIN { d = s + t - n; printf "%.3f", (d > 0 ? d : 0) }')"
}

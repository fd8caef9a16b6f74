# shellcheck shell=bash
# Sourced by the checks that end the show with SIGINT. SDL turns SIGINT into
# a quit request only once it has started its video (the show has then loaded
# its media and opened its display); an interrupt before that ends the
# process by the signal. The checks wait for that moment instead of guessing
# a start-up time, which a loaded machine or a sanitizer build overruns.

# The command prefix for a show to be interrupted: SIGINT back to its
# default. A script's background command starts with it ignored, and so does
# everything under a shell that was itself started in the background
# (nohup .ci/run &); SDL leaves an ignored signal alone.
# shellcheck disable=SC2034  # used by the scripts that source this
interruptible=(env --default-signal=INT)

# catches_interrupt PID: whether process PID has a handler for SIGINT.
catches_interrupt() {
  local mask
  mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null)
  [ -n "$mask" ] && (((16#$mask >> 1) & 1))
}

# ignores_interrupt PID: whether process PID runs with SIGINT ignored, which
# SDL then leaves alone.
ignores_interrupt() {
  local mask
  mask=$(awk '/^SigIgn:/ { print $2 }' "/proc/$1/status" 2>/dev/null)
  [ -n "$mask" ] && (((16#$mask >> 1) & 1))
}

# wait_interruptible PID [SECONDS]: waits until process PID catches SIGINT
# (default 60 s at most); returns 1 when it ends or the time passes first,
# or at once, saying so, when it ignores SIGINT.
wait_interruptible() {
  local pid=$1 seconds=${2:-60}
  for _ in $(seq $((seconds * 10))); do
    catches_interrupt "$pid" && return 0
    if ignores_interrupt "$pid"; then
      echo "wait_interruptible: process $pid was started with SIGINT ignored" >&2
      return 1
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

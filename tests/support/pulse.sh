# shellcheck shell=bash
# Sourced: a private PulseAudio server with one null sink ("show"), as
# xvfb.sh gives a private X server. Nothing of the user's or the system's
# sound setup is read: no default.pa, no autospawn, its own runtime directory
# and socket; runs as root too (CI). The sink's monitor is what a speaker
# would play: record it with `parec -d show.monitor`.

pulse_pid=
pulse_dir=

# start_pulse: starts the server (or starts it again after stop_pulse KILL,
# on the same socket) and exports PULSE_SERVER and friends so that the show,
# parec and pactl use it. Returns 2, with the server's log on standard
# error, when it does not answer within 10 s.
start_pulse() {
  [ -n "$pulse_dir" ] || pulse_dir=$(mktemp -d)
  mkdir -p "$pulse_dir/runtime" "$pulse_dir/home"
  printf 'autospawn = no\n' >"$pulse_dir/client.conf"
  export PULSE_SERVER="unix:$pulse_dir/native"
  export PULSE_CLIENTCONFIG="$pulse_dir/client.conf"
  export PULSE_RUNTIME_PATH="$pulse_dir/runtime"
  export PULSE_STATE_PATH="$pulse_dir/runtime"
  HOME="$pulse_dir/home" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disallow-module-loading=no --log-target=stderr --log-level=warning \
    --load="module-null-sink sink_name=show rate=44100 channels=2" \
    --load="module-native-protocol-unix socket=$pulse_dir/native auth-anonymous=1" \
    2>>"$pulse_dir/pulse.log" &
  pulse_pid=$!
  for _ in $(seq 100); do
    if pactl info >/dev/null 2>&1; then return 0; fi
    if ! kill -0 "$pulse_pid" 2>/dev/null; then break; fi
    sleep 0.1
  done
  echo "PulseAudio did not start:" >&2
  cat "$pulse_dir/pulse.log" >&2
  stop_pulse KILL
  return 2
}

# stop_pulse [SIGNAL]: ends the server (default SIGTERM; SIGKILL takes it
# away as a crash would, and keeps the directory for start_pulse) and waits
# for it.
stop_pulse() {
  if [ -n "$pulse_pid" ]; then
    kill -"${1:-TERM}" "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
  fi
  pulse_pid=
  if [ "${1:-TERM}" != KILL ] && [ -n "$pulse_dir" ]; then
    rm -rf "$pulse_dir"
    pulse_dir=
  fi
}

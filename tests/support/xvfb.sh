# shellcheck shell=bash
# Sourced: a private virtual X server. scripts/with-xvfb runs a command on
# one; a test that takes the server away while the show runs starts and kills
# its own with these.

xvfb_pid=
xvfb_dir=

# start_xvfb WIDTHxHEIGHTxDEPTH: starts Xvfb on a display number it picks
# itself (-displayfd, so parallel runs never collide), waits until it answers
# and exports DISPLAY. Returns 2, with the reason on standard error, when it
# does not answer within 10 s.
start_xvfb() {
  local display
  xvfb_dir=$(mktemp -d)
  # -noreset: by default the server starts over when its last client leaves
  # and refuses whoever connects meanwhile, such as the next show of a test.
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$xvfb_dir/display" 2>"$xvfb_dir/xvfb.log" &
  xvfb_pid=$!
  # The server writes its display number once it accepts connections; then
  # make sure it answers.
  for _ in $(seq 100); do
    if [ -s "$xvfb_dir/display" ]; then
      display=:$(head -n1 "$xvfb_dir/display")
      if DISPLAY=$display xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=$display
        return 0
      fi
    fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "Xvfb did not start:" >&2
      cat "$xvfb_dir/xvfb.log" >&2
      stop_xvfb TERM
      return 2
    fi
    sleep 0.1
  done
  echo "Xvfb did not answer within 10 s" >&2
  stop_xvfb TERM
  return 2
}

# stop_xvfb [SIGNAL]: ends the server (default SIGTERM; SIGKILL takes it away
# as a crash or the end of a session would) and waits for it.
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill -"${1:-TERM}" "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  [ -z "$xvfb_dir" ] || rm -rf "$xvfb_dir"
  xvfb_pid=
  xvfb_dir=
}

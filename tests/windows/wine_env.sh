# shellcheck shell=bash
# Sourced by the Wine checks: the scratch prefix, quiet Wine, and running the
# show from its unpacked release folder on the private X server the check was
# started on (scripts/with-xvfb).
#
#   WINEPREFIX must name the prefix made by wine_prefix.sh.

export WINEDEBUG=-all
# No Mono or Gecko install dialogs: the show needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
title="Pixelfolk enjoy dance!"
show_pid=

# unpack ZIP DIR: the release as a user has it, in DIR/<release folder>;
# prints that folder.
unpack() {
  (cd "$2" && cmake -E tar xf "$1") || return 1
  find "$2" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

# start_show DIR [EXE] [ENV=VALUE...]: `wine EXE` (default pixelfolk.exe) in
# DIR, in the background, its output in $work/stdout.txt and $work/stderr.txt.
start_show() {
  local dir=$1 exe=pixelfolk.exe
  shift
  case ${1:-} in *.exe) exe=$1 && shift ;; esac
  (cd "$dir" && exec env "$@" wine "$exe" >"$work/stdout.txt" 2>"$work/stderr.txt") &
  show_pid=$!
}

# Milliseconds since $start (date +%s%N).
since_start() { echo $((($(date +%s%N) - start) / 1000000)); }

# wait_window NAME SECONDS: prints the X window id of the first window so named.
wait_window() {
  local name=$1 id
  for _ in $(seq $(($2 * 10))); do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n 1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    [ -n "$show_pid" ] && ! kill -0 "$show_pid" 2>/dev/null && return 1
    sleep 0.1
  done
  return 1
}

# wait_exit SECONDS: the show's exit code, or 124 when it is still running then.
wait_exit() {
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$show_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$show_pid" 2>/dev/null; then
    return 124
  fi
  wait "$show_pid"
}

# Ends every Wine process of the prefix, so that nothing outlives the X server.
stop_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# press_key WINDOW KEY: the key as a user types it (XTEST), into WINDOW.
press_key() {
  xdotool windowfocus "$1" 2>/dev/null || true
  sleep 0.3
  xdotool key "$2"
}

# Each check prints one line; finish ends the test, with the show's standard
# error (in $work/stderr.txt) when anything failed.
failures=0
check() {
  if [ "$1" = 0 ]; then echo "ok   $2"; else echo "FAIL $2" >&2; failures=$((failures + 1)); fi
}
finish() {
  stop_wine
  [ "$failures" -eq 0 ] || { echo "stderr of the show:" >&2; sed 's/^/     /' "$work/stderr.txt" >&2; }
  exit $((failures > 0))
}

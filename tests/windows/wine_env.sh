# shellcheck shell=bash
# Sourced by the Wine checks: the scratch prefix, quiet Wine, and running the
# show from its unpacked release folder on the private X server the check was
# started on (scripts/with-xvfb). Each check prints one line (check, from
# tests/support/checks.sh); when the test ends, every Wine process is ended
# and, when anything failed, the show's standard error is shown.
#
#   WINEPREFIX must name the prefix made by wine_prefix.sh; work, the test's
#   scratch folder, is set before this file is sourced.

# shellcheck source=../support/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
# shellcheck source=../support/show_window.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/show_window.sh"

export WINEDEBUG=-all
# No Mono or Gecko install dialogs: the show needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
work=${work:-}
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

# ms_since START: the milliseconds since START (a `date +%s%N`).
ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }

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

wine_test_end() {
  stop_wine
  if [ "$failures" -gt 0 ] && [ -f "$work/stderr.txt" ]; then
    echo "stderr of the show:" >&2
    sed 's/^/     /' "$work/stderr.txt" >&2
  fi
}
trap wine_test_end EXIT

#!/usr/bin/env bash
# The show's command line as a user meets it, headless: --help, --version,
# refusals with exit code 2, and --mute choosing the silent output itself.
#
#   command_line_test.sh SHOW_EXECUTABLE VERSION
set -uo pipefail

show=${1:?usage: command_line_test.sh SHOW_EXECUTABLE VERSION}
version=${2:?}
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=../support/interrupt.sh
source "$(dirname "$0")/../support/interrupt.sh"

# run ARGS... -- exit code in $code, output in $scratch/out and $scratch/err
run() { "$show" "$@" >"$scratch/out" 2>"$scratch/err"; code=$?; }

cd / || exit 1
run --help
if [ "$code" -eq 0 ] && grep -q '^Usage: pixelfolk' "$scratch/out" && grep -q -- '--window=WxH' "$scratch/out" &&
  [ ! -s "$scratch/err" ]; then
  echo "ok   --help"
else
  fail "--help: exit code $code"; cat "$scratch/out" "$scratch/err" >&2
fi

run --version
if [ "$code" -eq 0 ] && [ "$(cat "$scratch/out")" = "pixelfolk $version" ] && [ ! -s "$scratch/err" ]; then
  echo "ok   --version"
else
  fail "--version: exit code $code, '$(cat "$scratch/out")' (want 'pixelfolk $version')"
fi

# NAME EXPECTED-FIRST-LINE ARGS...: refused at once, with the usage line.
refused() {
  local name=$1 first=$2
  shift 2
  run "$@"
  if [ "$code" -eq 2 ] && [ ! -s "$scratch/out" ] && [ "$(head -n1 "$scratch/err")" = "$first" ] &&
    [ "$(sed -n 2p "$scratch/err")" = "Usage: pixelfolk [--window[=WIDTHxHEIGHT]] [--mute] [--seek=SECONDS] [--rehearse [--paused]] [--help] [--version]" ] &&
    [ "$(wc -l <"$scratch/err")" -eq 2 ]; then
    echo "ok   $name"
  else
    fail "$name: exit code $code, stderr:"; sed 's/^/     /' "$scratch/err" >&2
  fi
}
refused "unknown option" "pixelfolk: unknown option '--fullscreen'" --fullscreen
refused "unknown option after a good one" "pixelfolk: unknown option '-v'" --mute -v
refused "a file name" "pixelfolk: unexpected argument 'demo.xm'" demo.xm
refused "window too small" "pixelfolk: --window takes WIDTHxHEIGHT, each from 32 to 16384, not '10x10'" --window=10x10
refused "seek past the end" "pixelfolk: --seek takes seconds from 0 to 96, such as 57.5, not '100'" --seek 100
refused "paused without rehearsal" "pixelfolk: --paused needs --rehearse: only a rehearsal can be resumed" --paused

# With --mute the silent output is the first choice: a sound driver that
# cannot start is never tried, so there is no complaint about it, and the
# show runs on until interrupted.
SDL_AUDIODRIVER=no-such-driver "${interruptible[@]}" "$show" --mute >"$scratch/out" 2>"$scratch/err" &
pid=$!
wait_interruptible "$pid"
sleep 2
if kill -0 "$pid" 2>/dev/null; then
  kill -INT "$pid"
  wait "$pid"
  code=$?
  if [ "$code" -eq 0 ] && ! grep -q "Sound unavailable" "$scratch/err"; then
    echo "ok   --mute"
  else
    fail "--mute: exit code $code, stderr:"; sed 's/^/     /' "$scratch/err" >&2
  fi
else
  wait "$pid"
  fail "--mute: the show ended early with code $?"; sed 's/^/     /' "$scratch/err" >&2
fi

finish

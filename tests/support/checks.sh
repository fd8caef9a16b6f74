# shellcheck shell=bash
# Sourced by the shell tests: one line per check, and the test's end.
#
# Each failure is one line on standard error, "FAIL <test>: <what>"; the test
# goes on with its other checks and ends failed. Cleanup that must happen
# however the test ends (a show to stop, a server to kill) belongs in an EXIT
# trap, so that fail_now leaves nothing behind.

test_name=$(basename "$0" .sh)
failures=0

# fail WHAT: a failed check; the test goes on.
fail() {
  echo "FAIL $test_name: $*" >&2
  failures=$((failures + 1))
}

# fail_now WHAT: a failed check after which nothing else can be checked.
fail_now() {
  fail "$@"
  exit 1
}

# check STATUS WHAT: "ok WHAT" when STATUS is 0, a failure otherwise; use as
# `some test; check $? "what it shows"`.
check() {
  if [ "$1" = 0 ]; then echo "ok   $2"; else fail "$2"; fi
}

# finish: ends the test, with exit code 1 when any check failed.
finish() {
  exit $((failures > 0))
}

# shellcheck shell=bash
# Sourced by the shell tests that time the show: the wall-clock time a process
# took, less the time its threads stood ready to run while the machine ran
# others (the kernel's run-queue delay, /proc/PID/task/*/schedstat). A limit
# on that times the show, not the load on the machine: a show that sleeps,
# waits or works through the limit still fails it, a show kept off the
# processors by other programs does not.
#
#   own_time_start PID   before the timed stretch
#   own_time_poll        often while PID runs (a few file reads each); the
#                        stretch ends at the last poll that found PID running
#   own_time_ms all|main the milliseconds from the start to that poll, less
#                        the delay of all its threads (the most the machine
#                        can have cost it: for a check that it took too
#                        long), or of its main thread alone (the
#                        least: for a check that it was too quick)
#
# Without schedstat (an old or unusual kernel) it is the wall-clock time.

own_time_pid=
own_time_started=
own_time_seen=
declare -A own_time_base=() own_time_last=()

# Reads each thread's run-queue delay (ns) into own_time_last; a thread that
# ended keeps the last value read, and one first seen counts from then.
own_time_poll() {
  local stat tid waited now
  now=$(date +%s%N)
  kill -0 "$own_time_pid" 2>/dev/null || return 0
  for stat in /proc/"$own_time_pid"/task/*/schedstat; do
    read -r _ waited _ 2>/dev/null <"$stat" || continue
    tid=${stat%/schedstat}
    tid=${tid##*/}
    own_time_last[$tid]=$waited
    [ -n "${own_time_base[$tid]:-}" ] || own_time_base[$tid]=$waited
  done
  own_time_seen=$now
}

own_time_start() {
  own_time_pid=$1
  own_time_base=()
  own_time_last=()
  own_time_started=$(date +%s%N)
  own_time_seen=$own_time_started
  own_time_poll
}

own_time_ms() {
  local elapsed waited=0 tid
  elapsed=$((own_time_seen - own_time_started))
  for tid in "${!own_time_last[@]}"; do
    [ "$1" = main ] && [ "$tid" != "$own_time_pid" ] && continue
    waited=$((waited + own_time_last[$tid] - own_time_base[$tid]))
  done
  [ "$waited" -gt "$elapsed" ] && waited=$elapsed
  echo $(((elapsed - waited) / 1000000))
}

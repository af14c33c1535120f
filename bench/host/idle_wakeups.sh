#!/usr/bin/env bash
# How often an idle qmhost wakes: the launched `qmhost --demo` on a display of its own (Xvfb),
# left alone with the pointer outside its window; every thread's context switches (voluntary and
# not) are read from /proc before and after SECONDS of quiet. Prints wakeups a second; with
# --max N, fails when there are more (the test runs it with a short quiet and --max 0).
#
#   idle_wakeups.sh [--seconds S] [--max N] BIN_DIR
set -euo pipefail

seconds=60
max=""
while [ $# -gt 1 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --max) max="$2"; shift 2 ;;
    *) break ;;
  esac
done
bin="${1:?usage: idle_wakeups.sh [--seconds S] [--max N] BIN_DIR}"

# Under a display of our own: run again inside xvfb-run.
if [ -z "${QM_IDLE_INNER:-}" ]; then
  for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "idle_wakeups: $tool is not installed" >&2; exit 77; }
  done
  args=(--seconds "$seconds")
  [ -n "$max" ] && args+=(--max "$max")
  exec env QM_IDLE_INNER=1 xvfb-run -a -s "-screen 0 1600x1200x24" bash "$0" "${args[@]}" "$bin"
fi

work=$(mktemp -d)
host_pid=""
cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null && wait "$host_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORM_PLUGIN_PATH

"$bin/qmhost" --demo --db "$work/demo.db" --user u001 --group g01 >"$work/host.log" 2>&1 &
host_pid=$!

# Context switches of every thread of the host, summed.
switches() {
  local total=0 n
  for status in /proc/"$host_pid"/task/*/status; do
    n=$(awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ {s += $2} END {print s + 0}' "$status" 2>/dev/null || echo 0)
    total=$((total + n))
  done
  echo "$total"
}

# The window is up when it has a name; then its first search and paints settle.
for _ in $(seq 300); do
  xdotool search --name "收入级别" >/dev/null 2>&1 && break
  kill -0 "$host_pid" 2>/dev/null || { echo "idle_wakeups: qmhost ended: $(cat "$work/host.log")" >&2; exit 1; }
  sleep 0.1
done
xdotool search --name "收入级别" >/dev/null || { echo "idle_wakeups: no qmhost window" >&2; exit 1; }
xdotool mousemove 1590 1190
sleep 3

before=$(switches)
threads=$(ls /proc/"$host_pid"/task | wc -l)
sleep "$seconds"
after=$(switches)
kill -0 "$host_pid" 2>/dev/null || { echo "idle_wakeups: qmhost ended while idle" >&2; exit 1; }
wakeups=$((after - before))
rate=$(awk -v w="$wakeups" -v s="$seconds" 'BEGIN {printf "%.2f", w / s}')
echo "idle qmhost --demo, pointer outside the window, $threads threads: $wakeups wakeups in $seconds s ($rate a second; $after switches since launch)"
if [ -n "$max" ] && awk -v r="$rate" -v m="$max" 'BEGIN {exit !(r > m)}'; then
  echo "idle_wakeups: more than $max wakeups a second" >&2
  exit 1
fi

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
  local code=$?
  if [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null; then wait "$host_pid" 2>/dev/null || true; fi
  rm -rf "$work"
  exit "$code"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORM_PLUGIN_PATH

"$bin/qmhost" --demo --db "$work/demo.db" --user u001 --group g01 >"$work/host.log" 2>&1 &
host_pid=$!

# Context switches of every thread of the host, one line "TID COUNT" each.
switches() {
  for status in /proc/"$host_pid"/task/*/status; do
    awk -v tid="$(basename "$(dirname "$status")")" \
      '/^(voluntary|nonvoluntary)_ctxt_switches:/ {s += $2} END {print tid, s + 0}' "$status" 2>/dev/null || true
  done
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

switches >"$work/before"
threads=$(wc -l <"$work/before")
sleep "$seconds"
switches >"$work/after"
kill -0 "$host_pid" 2>/dev/null || { echo "idle_wakeups: qmhost ended while idle" >&2; exit 1; }
# A thread that ended in between took its count along: only that it ended is counted (one
# wakeup); a thread that began counts whole.
wakeups=$(awk 'NR == FNR {before[$1] = $2; next} {after[$1] = $2}
  END {
    for (t in after) w += after[t] - (t in before ? before[t] : 0)
    for (t in before) if (!(t in after)) w += 1
    print w + 0
  }' "$work/before" "$work/after")
after=$(awk '{s += $2} END {print s + 0}' "$work/after")
rate=$(awk -v w="$wakeups" -v s="$seconds" 'BEGIN {printf "%.2f", w / s}')
echo "idle qmhost --demo, pointer outside the window, $threads threads: $wakeups wakeups in $seconds s ($rate a second; $after switches since launch)"
if [ -n "$max" ] && awk -v r="$rate" -v m="$max" 'BEGIN {exit !(r > m)}'; then
  echo "idle_wakeups: more than $max wakeups a second" >&2
  exit 1
fi

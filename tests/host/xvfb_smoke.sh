#!/usr/bin/env bash
# The host under a real X server with real key events, one clerk's session per case, each on a
# fresh demo store whose rows are then read back through the host:
#  - after 新增, typing, Esc, Esc, more typing and Ctrl+S, the stored rows are unchanged;
#  - a value the form refuses stops the save: the row keeps its stored values;
#  - Esc in the find bar closes the bar and keeps the new row, which Ctrl+S then saves;
#  - keys typed on while a question opens never answer it.
# Exit 77 (skipped) when xvfb-run or xdotool is missing. QM_SMOKE_SHOTS=DIR keeps a screenshot of
# each case's end there.
# usage: xvfb_smoke.sh BIN_DIR
set -uo pipefail
bin=${1:?usage: xvfb_smoke.sh BIN_DIR}
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "xvfb-run or xdotool missing: skipped"; exit 77; }
[ -x "$bin/qmhost" ] && [ -f "$bin/libtarn204.so" ] && [ -f "$bin/dialog.dll" ] || { echo "qmhost, module or dialog.dll not built"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs inside the X server: start the host, find its window, press the keys given (type:TEXT types
# TEXT, burst:"K1 K2 …" presses keys as fast as a typist, refocus gives the host window the focus
# again), take a screenshot, stop the host.
cat >"$work/clerk.sh" <<'CLERK'
set -u
bin=$1 db=$2 shot=$3
shift 3
unset QT_QPA_PLATFORM
"$bin/qmhost" --db "$db" --demo --user smoke --group g01 >"$db.log" 2>&1 &
host=$!
wid=""
for _ in $(seq 100); do
  wid=$(xdotool search --pid "$host" --onlyvisible --name "业务管理客户端" 2>/dev/null | head -n1)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "the host window did not appear"; kill "$host"; exit 1; }
xdotool windowfocus --sync "$wid"
sleep 1  # the search that runs when the form opens
for k in "$@"; do
  case $k in
    type:*) xdotool type --delay 120 "${k#type:}" ;;
    burst:*) xdotool key --clearmodifiers --delay 15 ${k#burst:} ;;
    # No window manager here to give the focus back to the window once a box is gone.
    refocus) xdotool windowfocus --sync "$wid" ;;
    *) xdotool key --clearmodifiers "$k" ;;
  esac
  sleep 0.2
done
sleep 0.5
import -window root "$shot" 2>/dev/null || true
kill "$host" 2>/dev/null
wait "$host" 2>/dev/null
exit 0
CLERK

failed=0
# usage: run_case NAME CHECK_SCRIPT KEYS...
run_case() {
  local name=$1 check=$2
  shift 2
  local db="$work/$name.db"
  if ! xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/clerk.sh" "$bin" "$db" "$work/$name.png" "$@"; then
    echo "$name: the session did not run"; cat "$db.log"; failed=1; return
  fi
  [ -n "${QM_SMOKE_SHOTS:-}" ] && mkdir -p "$QM_SMOKE_SHOTS" && cp -f "$work/$name.png" "$QM_SMOKE_SHOTS/" 2>/dev/null
  printf '%s\n' "$check" >"$work/$name.check"
  if ! QT_QPA_PLATFORM=offscreen "$bin/qmhost" --db "$db" --user smoke --group g01 --script "$work/$name.check"; then
    echo "$name: FAILED"; failed=1
  else
    echo "$name: ok"
  fi
}

demo_rows=""
for row in 1 2 3 4 5 6; do demo_rows+=$'select row '$row$'\nexpect-cell MEMAC001 0'$row$'\n'; done

# A notice says nothing can be saved while browsing: Return closes it.
run_case esc_then_typing "expect-rows 6
select row 6
expect-cell MEMAC002 特高收入
$demo_rows" \
  ctrl+n a 1 Tab n a m e Escape Escape 0 Z ctrl+s Return

# Row 01: its name typed over, then a lower bound the form refuses; Return closes the refusal.
run_case refused_value_stops_the_save "expect-rows 6
select row 1
expect-cell MEMAC001 01
expect-cell MEMAC002 低收入
expect-cell MEMAC003 0" \
  F2 Tab type:PART Tab type:zz ctrl+s Return

# A new row typed whole, the find bar opened and left with Esc, then saved; Return closes the
# success notice.
run_case esc_in_find_bar "expect-rows 7
select row 7
expect-cell MEMAC001 A3
expect-cell MEMAC002 findbar" \
  ctrl+n type:A3 Tab type:findbar Tab type:5 Tab type:50 ctrl+f Escape ctrl+s Return

# Two changed rows, then Esc and "yes" typed on at once: the question "将放弃 2 条…" takes none of
# it; Return is its default, 否, and Ctrl+S saves both rows.
run_case typed_ahead_keys_never_answer "expect-rows 6
select row 1
expect-cell MEMAC002 AA
select row 2
expect-cell MEMAC002 BB" \
  F2 Tab type:AA Down type:BB Down "burst:Escape y e s" Return refocus ctrl+s Return

exit $failed

#!/usr/bin/env bash
# The host under a real X server with real key events: after 新增, typing, Esc, Esc, more typing
# and Ctrl+S, the stored rows are unchanged; a refused amount stops a save; Esc in the find bar
# leaves the new row typed before it to be saved. Exit 77 (skipped) when xvfb-run or xdotool is missing.
# usage: xvfb_smoke.sh BIN_DIR
set -uo pipefail
bin=${1:?usage: xvfb_smoke.sh BIN_DIR}
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "xvfb-run or xdotool missing: skipped"; exit 77; }
[ -x "$bin/qmhost" ] && [ -f "$bin/libtarn204.so" ] && [ -f "$bin/dialog.dll" ] || { echo "qmhost, module or dialog.dll not built"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db="$work/smoke.db"

# Runs inside the X server: start the host, find its window, type as a clerk would.
cat >"$work/clerk.sh" <<'CLERK'
set -u
bin=$1 db=$2 work=$3
unset QT_QPA_PLATFORM
"$bin/qmhost" --db "$db" --demo --user smoke --group g01 >"$work/host.log" 2>&1 &
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
keys() { for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 0.15; done; }
# Without a window manager nothing gives the window back its activation when a box closes.
refocus() { sleep 0.3; xdotool windowfocus --sync "$wid"; }
keys ctrl+n a 1 Tab n a m e Escape Escape 0 Z ctrl+s
sleep 0.5
# A notice says nothing can be saved while browsing: Enter closes it.
keys Return
refocus
# A refused amount stops the save: one box (Enter), the cell restored (Esc), then 取消 (Esc).
keys F2 Tab P A R T Tab z z ctrl+s
sleep 0.5
keys Return
refocus
keys Escape Escape
# The find bar keeps Esc: the new row typed before it stays and is saved (Enter closes the box).
keys ctrl+n A 9 Tab x ctrl+f Escape ctrl+s
sleep 0.5
keys Return
import -window root "$work/after.png" 2>/dev/null || true
kill "$host" 2>/dev/null
wait "$host" 2>/dev/null
exit 0
CLERK
xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/clerk.sh" "$bin" "$db" "$work" || { cat "$work/host.log"; exit 1; }

# The stored rows, read back through the host itself.
cat >"$work/check.txt" <<'CHECK'
expect-rows 7
select row 6
expect-cell MEMAC001 06
expect-cell MEMAC002 特高收入
select row 1
expect-cell MEMAC002 低收入
expect-cell MEMAC003 0
select row 7
expect-cell MEMAC001 A9
CHECK
for row in 1 2 3 4 5; do printf 'select row %s\nexpect-cell MEMAC001 0%s\n' "$row" "$row" >>"$work/check.txt"; done
QT_QPA_PLATFORM=offscreen "$bin/qmhost" --db "$db" --user smoke --group g01 --script "$work/check.txt"

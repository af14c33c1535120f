#!/usr/bin/env bash
# Builds what is missing and starts the host shell with the income-level module on its
# embedded SQLite store. Extra arguments go to qmhost (for example --db PATH or --screenshot FILE).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
# A first build here needs no test libraries; a tree that scripts/test.sh configured keeps its tests.
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja -DQM_TESTS=OFF -DQM_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)" --target qmhost tarn204 dialog
args=("$@")
[ ${#args[@]} -eq 0 ] && args=(--demo)
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [[ " ${args[*]} " != *" --screenshot "* ]]; then
  cat >&2 <<MSG
There is no display here, so no window can open. Taking a screenshot instead: qmhost.png
(the same by hand: QT_QPA_PLATFORM=offscreen build/bin/qmhost --demo --screenshot qmhost.png;
or in a virtual display: xvfb-run -a build/bin/qmhost --demo).
MSG
  search=$(mktemp)
  trap 'rm -f "$search"' EXIT
  echo "command search" >"$search"
  QT_QPA_PLATFORM=offscreen build/bin/qmhost "${args[@]}" --script "$search" --screenshot qmhost.png
  exit $?
fi
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
exec build/bin/qmhost "${args[@]}"

#!/usr/bin/env bash
# The man pages list exactly the options the programs' --help lists, so that neither drifts.
# usage: man_pages_test.sh BIN_DIR PACKAGING_DIR
set -euo pipefail
bin=$1 pages=$2
fail() { echo "FAIL: $*"; exit 1; }

options() { grep -oE -- '--[a-z][a-z-]*' | sort -u; }

for program in qmhost qmproto; do
  [ -x "$bin/$program" ] || fail "$bin/$program is not built"
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$program" --help | options)
  page=$(sed 's/\\-/-/g' "$pages/$program.1.in" | options)
  [ -n "$help" ] || fail "$program --help lists no option"
  if [ "$help" != "$page" ]; then
    echo "options of $program --help (<) and of $program.1 (>):"
    diff <(echo "$help") <(echo "$page") || true
    fail "$program.1 and $program --help differ"
  fi
done

# What the pages must say besides the options.
need() {
  local page=$1
  shift
  for word in "$@"; do
    grep -qF -- "$word" "$pages/$page" || fail "$page does not mention $word"
  done
}
need qmhost.1.in "SETTINGS FILE" qmhost.conf ".B db" ".B user" ".B group" "EXIT STATUS" ".B 2" \
  "postgresql://" NAME.bak-DATE-TIME qmclient.db
need qmproto.1.in ".BR save | search | register | release" "format" rowsLoaded loadError rowsLeftOut \
  moduleReads readError "EXIT STATUS"
echo "ok: man pages"

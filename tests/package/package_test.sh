#!/usr/bin/env bash
# Checks the Debian package as a clerk's machine gets it: unpacked with dpkg -x into a scratch
# root, run from there, nothing borrowed from the build tree.
# usage: package_test.sh CASE DEB_GLOB VERSION
#        package_test.sh build-runpath BIN_DIR
# Exits 77 (skipped) while scripts/package.sh has not built the package.
set -euo pipefail
case_name=$1

fail() { echo "FAIL: $*"; exit 1; }

# Every ELF file under a folder, one a line.
elf_files() {
  find "$1" -type f -exec sh -c 'head -c4 "$1" | grep -q "^.ELF" && echo "$1"' _ {} \;
}

# Each ELF file under the folder finds its libraries relative to itself or in the system's path;
# at least $2 such files must be there.
check_runpath() {
  local count=0 f paths e entries
  while read -r f; do
    count=$((count + 1))
    paths=$(readelf -d "$f" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]/\2/p')
    # An empty entry means the current directory.
    case :$paths: in *::*) [ -z "$paths" ] || fail "$f has an empty entry in '$paths'" ;; esac
    IFS=: read -ra entries <<<"$paths"
    for e in "${entries[@]}"; do
      case $e in
        '$ORIGIN' | '$ORIGIN/'*) ;;
        *) fail "$f searches $e" ;;
      esac
    done
  done < <(elf_files "$1")
  [ "$count" -ge "$2" ] || fail "only $count ELF files under $1"
}

if [ "$case_name" = build-runpath ]; then
  # The build tree's bin/ can be copied elsewhere too.
  check_runpath "$2" 7
  echo "ok: $case_name"
  exit 0
fi

deb_glob=$2 version=$3

debs=($deb_glob)
if [ ! -f "${debs[0]}" ]; then
  echo "no package at $deb_glob: run bash scripts/package.sh first"
  exit 77
fi
deb=${debs[0]}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg -x "$deb" "$root"
private=$root/usr/lib/qmclient
export HOME=$scratch/home XDG_DATA_HOME=$scratch/home/data XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

case $case_name in
layout)
  # Programs and libraries together in the private folder, bin/ only links into it.
  for f in qmhost qmproto libtarn204.so dialog.dll libqmpgstore.so libqmdeskout.so libqm_platform.so libqm_platform_qt.so \
    manual.html; do
    [ -f "$private/$f" ] || fail "missing usr/lib/qmclient/$f"
  done
  # The controls gallery is a developers' tool.
  [ ! -e "$private/gallery" ] || fail "the gallery is in the clerks' package"
  for p in qmhost qmproto; do
    [ "$(readlink "$root/usr/bin/$p")" = "../lib/qmclient/$p" ] || fail "usr/bin/$p is not a relative link"
    [ -x "$root/usr/bin/$p" ] || fail "usr/bin/$p does not lead to a program"
  done
  stray=$(find "$root/usr/lib" -mindepth 1 -maxdepth 1 ! -name qmclient)
  [ -z "$stray" ] || fail "files in the system's library path: $stray"
  for page in qmhost qmproto; do
    man_page=$root/usr/share/man/man1/$page.1.gz
    [ -f "$man_page" ] || fail "no man page for $page"
    zcat "$man_page" | grep -q "qmclient $version" || fail "$page.1 does not carry version $version"
  done
  ;;
runpath)
  # Libraries are found beside each file, never in the folder the package was built in.
  check_runpath "$root" 6
  ;;
depends)
  # Library dependencies come from the binaries (the server client from the engine library qmhost
  # loads only for a server); the fonts, the SVG plug-in that draws the window icon and Qt's
  # Chinese words for its own dialogs are added by hand.
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  for want in libqt6widgets6 libqt6printsupport6 libxlsxwriter4 libsqlite3-0 libpugixml1v5 libpq5 \
    fonts-wqy-microhei libqt6svg6 qt6-translations-l10n; do
    grep -q "$want" <<<"$depends" || fail "Depends lacks $want"
  done
  ;;
script)
  # Through the link in bin/, so qmhost must resolve its own path to find the module.
  export QT_QPA_PLATFORM=offscreen
  db=$scratch/store/levels.db
  mkdir -p "$scratch/store"   # an explicit --db folder must exist
  cat >"$scratch/save.txt" <<'STEPS'
command search
expect-rows 0
command new
edit MEMAC001 A01
edit MEMAC002 测试级别
edit MEMAC003 100
edit MEMAC004 200
answer 1
command save
expect-box 保存成功
expect-no-error
STEPS
  cat >"$scratch/read.txt" <<'STEPS'
command search
expect-rows 1
expect-cell MEMAC001 A01
expect-field MEMAC002 测试级别
expect-field MEMAC004 200
STEPS
  "$root/usr/bin/qmhost" --db "$db" --script "$scratch/save.txt" || fail "saving a level failed"
  [ -f "$db" ] || fail "no store at $db"
  # A second start reads the level back from the store.
  "$root/usr/bin/qmhost" --db "$db" --script "$scratch/read.txt" || fail "the saved level did not come back"
  # A wrong answer fails the run: the check above can fail.
  echo "expect-rows 5" >"$scratch/wrong.txt"
  set +e
  "$root/usr/bin/qmhost" --db "$db" --script "$scratch/wrong.txt" 2>/dev/null
  rc=$?
  set -e
  [ "$rc" -eq 1 ] || fail "a failing step exited with $rc, not 1"
  ;;
desktop)
  entry=$root/usr/share/applications/qmhost.desktop
  desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon.svg"
  grep -q '^Name\[zh_CN\]=' "$entry" || fail "no Chinese name"
  grep -q '^Categories=.*Office;' "$entry" || fail "not in Office"
  # The menu's command, as the menu runs it, with --screenshot so it ends by itself.
  exec_line=$(sed -n 's/^Exec=//p' "$entry")
  shot=$scratch/menu.png
  PATH=$root/usr/bin:$PATH QT_QPA_PLATFORM=offscreen sh -c "$exec_line --screenshot '$shot'" ||
    fail "'$exec_line' did not start"
  [ "$(head -c8 "$shot" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "no PNG written"
  [ -f "$XDG_DATA_HOME/qmclient/qmclient.db" ] || fail "no store in the user's data folder"
  ;;
info)
  # Neither needs a window system.
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/qmhost" --version)
  [ "$out" = "qmhost $version" ] || fail "--version printed '$out'"
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/qmhost" --help)
  for opt in --db --demo --user --group --module --script --screenshot --help --version; do
    grep -q -- "^ *$opt" <<<"$help" || fail "--help does not list $opt"
  done
  set +e
  QT_QPA_PLATFORM=offscreen "$root/usr/bin/qmhost" --no-such-option 2>/dev/null
  rc=$?
  set -e
  [ "$rc" -eq 2 ] || fail "an unknown option exited with $rc, not 2"
  ;;
hardening)
  # Bound at load time, stack protected, fortified, no compiler identification; no maintainer scripts, since the
  # libraries are private and need no ldconfig.
  while read -r f; do
    grep -q 'BIND_NOW\|FLAGS_1.*NOW' <<<"$(readelf -d "$f")" || fail "$f is not bound at load time"
    ! grep -q ' \.comment ' <<<"$(readelf -S "$f")" || fail "$f has a .comment section"
  done < <(elf_files "$private")
  symbols=$(readelf -s --wide "$private/qmhost")
  grep -q '__stack_chk_fail@' <<<"$symbols" || fail "qmhost has no stack protection"
  grep -q '__[a-z]*printf_chk@' <<<"$symbols" || fail "qmhost calls no fortified function"
  scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t)
  ! grep -qE 'postinst|postrm|preinst|prerm|triggers' <<<"$scripts" || fail "maintainer scripts: $scripts"
  ;;
lintian)
  # Every check, pedantic ones too; an error or a warning fails.
  out=$(lintian -EvIL +pedantic --tag-display-limit 0 "$deb" 2>&1) || true
  echo "$out"
  ! grep -qE '^(E|W):' <<<"$out" || fail "lintian reports errors or warnings"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok: $case_name"

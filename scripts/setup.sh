#!/usr/bin/env bash
# Installs the Debian packages one purpose needs:
#   setup.sh run      building and running the host (scripts/run.sh)
#   setup.sh package  that, and building the Debian package (scripts/package.sh)
#   setup.sh test     that, and every test (scripts/test.sh); also the default
# Idempotent: prints nothing and installs nothing when all are present. As root it installs
# directly, else through sudo; without sudo it prints the line to run as root and exits 1.
set -euo pipefail
purpose=${1:-test}

run=(cmake ninja-build g++ pkg-config qt6-base-dev libqt6svg6 libpugixml-dev libsqlite3-dev libpq-dev
     nlohmann-json3-dev libxlsxwriter-dev cmark
     fonts-wqy-microhei qt6-translations-l10n)
package=(dpkg-dev file)
# The sanitizer and fuzzer runtimes belong to whichever clang the release has: the versionless
# package where the release has one, else the one named after its default clang.
clang_runtime() {
  if apt-cache show libclang-rt-dev >/dev/null 2>&1; then
    echo libclang-rt-dev
  else
    local v
    v=$(apt-cache depends clang 2>/dev/null | sed -n 's/.*Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -n1)
    [ -z "$v" ] || echo "libclang-rt-$v-dev"
  fi
}
test=(g++-multilib clang unzip libgtest-dev libgmock-dev libbenchmark-dev clang-format xvfb xauth xdotool
      postgresql libqt6sql6-sqlite lintian desktop-file-utils)

case $purpose in
run) pkgs=("${run[@]}") ;;
package) pkgs=("${run[@]}" "${package[@]}") ;;
test)
  pkgs=("${run[@]}" "${package[@]}" "${test[@]}")
  rt=$(clang_runtime)
  [ -z "$rt" ] || pkgs+=("$rt")
  ;;
*)
  echo "usage: setup.sh [run|package|test]" >&2
  exit 2
  ;;
esac

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

install="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  cat >&2 <<MSG
setup: these packages are missing: ${missing[*]}
Installing them needs root, and there is no sudo here. Run as root, then start again:
  su -c '$install'
MSG
  exit 1
fi
echo "setup: installing ${missing[*]}" >&2
# sudo clears the environment: the variable goes on the command itself.
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)
"${apt[@]}" update -qq >/dev/null
# A machine that had no package lists could not name the runtime before.
if [ "$purpose" = test ] && [ -z "${rt:-}" ]; then
  rt=$(clang_runtime)
  [ -z "$rt" ] || missing+=("$rt")
fi
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

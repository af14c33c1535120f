#!/usr/bin/env bash
# scripts/setup.sh against fake Debian tools on a PATH of their own: what it installs for each
# purpose, and how, as root, through sudo, and as a user without sudo.
# usage: setup_test.sh SETUP_SH
set -euo pipefail

fail() { echo "FAIL: $*"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
# A copy the unprivileged user can read wherever the tree lives.
setup=$scratch/setup.sh
cp "$1" "$setup"
chmod 644 "$setup"
bin=$scratch/bin
mkdir "$bin"
# Only these real tools, so that no sudo of the machine's is ever found.
for tool in bash cat env grep head sed; do
  ln -s "$(command -v "$tool")" "$bin/$tool"
done
cat >"$bin/dpkg-query" <<'EOF'
#!/bin/bash
pkg=${!#}
grep -qx "$pkg" "$FAKE_DIR/installed" && printf 'install ok installed'
exit 0
EOF
cat >"$bin/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $*" >>"$FAKE_DIR/log"
EOF
# The release knows the versionless runtime package only when FAKE_DIR/versionless exists.
cat >"$bin/apt-cache" <<'EOF'
#!/bin/bash
case "$1 $2" in
"show libclang-rt-dev") [ -e "$FAKE_DIR/versionless" ] ;;
"depends clang") printf 'clang\n  Depends: clang-19\n' ;;
*) exit 100 ;;
esac
EOF
# A root that is only pretended: `id -u` answers FAKE_DIR/uid.
cat >"$bin/id" <<'EOF'
#!/bin/bash
cat "$FAKE_DIR/uid"
EOF
cat >"$scratch/sudo" <<'EOF'
#!/bin/bash
echo "sudo" >>"$FAKE_DIR/log"
exec "$@"
EOF
chmod 755 "$bin"/* "$scratch/sudo"

# run_setup NAME UID SUDO(yes|no) PURPOSE INSTALLED...: sets rc, out and log.
run_setup() {
  local name=$1 uid=$2 with_sudo=$3 purpose=$4
  shift 4
  local dir=$scratch/$name
  mkdir -p "$dir/bin"
  chmod 777 "$dir"
  echo "$uid" >"$dir/uid"
  printf '%s\n' "$@" >"$dir/installed"
  : >"$dir/log"
  chmod 666 "$dir/log"
  [ "$with_sudo" = no ] || ln -s "$scratch/sudo" "$dir/bin/sudo"
  [ "${versionless:-}" != yes ] || touch "$dir/versionless"
  local as=()
  # A real non-root user where the test itself runs as root.
  if [ "$uid" != 0 ] && [ "$(/usr/bin/id -u)" = 0 ]; then
    as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  set +e
  out=$("${as[@]}" /usr/bin/env -i PATH="$dir/bin:$bin" FAKE_DIR="$dir" bash "$setup" "$purpose" 2>&1)
  rc=$?
  set -e
  log=$(cat "$dir/log")
}

run_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libqt6svg6 libpugixml-dev libsqlite3-dev libpq-dev
              nlohmann-json3-dev libxlsxwriter-dev cmark fonts-wqy-microhei qt6-translations-l10n)
test_chain=(clang libgtest-dev libbenchmark-dev lintian xdotool postgresql clang-format unzip)

# Everything there: silent, nothing run.
run_setup all-there 1000 no run "${run_packages[@]}"
[ "$rc" = 0 ] && [ -z "$out" ] && [ -z "$log" ] || fail "all installed: rc=$rc out='$out' log='$log'"

# A user without sudo: the line to run as root, nothing installed.
run_setup no-sudo 1000 no run cmake g++
[ "$rc" = 1 ] || fail "without sudo exited $rc: $out"
[ -z "$log" ] || fail "without sudo apt-get ran: $log"
want="su -c 'apt-get install -y --no-install-recommends ninja-build pkg-config qt6-base-dev libqt6svg6 libpugixml-dev libsqlite3-dev libpq-dev nlohmann-json3-dev libxlsxwriter-dev cmark fonts-wqy-microhei qt6-translations-l10n'"
grep -qxF "  $want" <<<"$out" || fail "no '$want' in: $out"
grep -q "sudo: command not found" <<<"$out" && fail "sudo was called: $out"

# Running needs none of the test chain.
for p in "${test_chain[@]}" lintian dpkg-dev; do
  grep -qw -- "$p" <<<"$out" && fail "run asks for $p: $out"
done

# A user with sudo, and root: apt-get through sudo, and directly.
run_setup with-sudo 1000 yes run
grep -qx sudo <<<"$log" || fail "sudo was not used: $log"
grep -q "^apt-get install .*qt6-base-dev" <<<"$log" || fail "nothing installed through sudo: $log"
run_setup root 0 no run
[ "$rc" = 0 ] || fail "as root exited $rc: $out"
grep -qx sudo <<<"$log" && fail "root used sudo: $log"
grep -q "^apt-get update" <<<"$log" && grep -q "^apt-get install .*fonts-wqy-microhei" <<<"$log" ||
  fail "root did not install: $log"

# Testing asks for the test chain and the runtime of the release's own clang.
versionless=yes run_setup test-versionless 0 no test
for p in "${test_chain[@]}" libclang-rt-dev; do
  grep -q "^apt-get install .* $p\( \|$\)" <<<"$log" || fail "test does not install $p: $log"
done
run_setup test-versioned 0 no test
grep -q "^apt-get install .* libclang-rt-19-dev" <<<"$log" || fail "no libclang-rt-19-dev: $log"

run_setup bad-purpose 0 no frob
[ "$rc" = 2 ] || fail "an unknown purpose exited $rc"
echo "ok: setup"

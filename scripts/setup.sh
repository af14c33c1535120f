#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent: prints nothing and installs nothing when all are present.
set -euo pipefail
pkgs=(cmake ninja-build g++ g++-multilib clang libclang-rt-14-dev qt6-base-dev
      libpugixml-dev libsqlite3-dev nlohmann-json3-dev libgtest-dev libgmock-dev
      libbenchmark-dev clang-format fonts-wqy-microhei xvfb xauth postgresql libpq-dev
      libqt6sql6-sqlite
      dpkg-dev file lintian desktop-file-utils xdotool)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

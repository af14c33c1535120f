#!/usr/bin/env bash
# Builds the Debian package from the main build tree (or QM_BUILD_DIR):
# build-package/qmclient_VERSION_ARCH.deb. After the CI's full build this only packs; on its own it
# configures and builds what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh package
jobs=${QM_JOBS:-$(nproc)}
launch=()
command -v ccache >/dev/null && launch=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

build=${QM_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja "${launch[@]}" -DQM_TESTS=OFF -DQM_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs"
# A fresh staging area, so files dropped from the install never linger in the package.
rm -rf build-package
cpack --config "$build/CPackConfig.cmake" -B "$PWD/build-package" >/dev/null
# CPack adds maintainer scripts that run ldconfig for any library under usr/lib, but ours are
# private (found beside the programs) and the package has no scripts of its own: it is rebuilt
# without them.
deb=$(ls build-package/*.deb)
unpacked=build-package/root
dpkg-deb -R "$deb" "$unpacked"
rm -f "$unpacked/DEBIAN/postinst" "$unpacked/DEBIAN/postrm"
dpkg-deb --root-owner-group -Zxz --build "$unpacked" "$deb" >/dev/null
rm -rf "$unpacked"
ls build-package/*.deb

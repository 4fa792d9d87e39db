#!/usr/bin/env bash
# Builds the Debian packages (vorlane-station, vorlane-server, libhostlens1,
# libhostlens-dev) into dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
# A build of its own, installed below /usr; the compiler cache makes it cheap after build/.
cmake -S . -B build-package "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr -DVORLANE_BUILD_TESTS=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
rm -rf dist
mkdir -p dist
(cd build-package && cpack -G DEB -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
ls -1 dist/*.deb

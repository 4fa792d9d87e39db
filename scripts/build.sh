#!/usr/bin/env bash
# Configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
# VORLANE_WARNINGS_AS_ERRORS=ON (CI sets it) makes a warning in our code fail the build.
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if [ -n "${VORLANE_WARNINGS_AS_ERRORS:-}" ]; then
  cmake -S . -B build -DVORLANE_WARNINGS_AS_ERRORS="$VORLANE_WARNINGS_AS_ERRORS" >/dev/null
fi
cmake --build build -j "$(nproc)"

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
# The database layer and the guest road also run on a throw-away PostgreSQL cluster:
# without PostgreSQL that is a failure, never a skipped test.
if ! ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1; then
  echo "error: PostgreSQL is not installed (no initdb below /usr/lib/postgresql); the tests need it" >&2
  exit 1
fi
export VORLANE_SIMULATE_SYSTEM=1 QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)"

#!/usr/bin/env bash
# Installs what is missing, builds, and creates a demo installation in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

demo="$PWD/demo"
mkdir -p "$demo"
if [ ! -f "$demo/server/systemfiles/vlsystem.mdb" ]; then
  build/server/vorlane-server --init-database "$demo/server"
else
  echo "Demo database already exists: $demo/server/systemfiles/vlsystem.mdb (kept)"
fi

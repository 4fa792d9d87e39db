#!/usr/bin/env bash
# Installs what is missing, builds, and creates a demo installation in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

demo="$PWD/demo"
database="$demo/server/systemfiles/vlsystem.mdb"
mkdir -p "$demo"
if [ ! -f "$database" ]; then
  build/server/vorlane-server --init-database "$demo/server"
else
  echo "Demo database already exists: $database (kept)."
  echo "Its passwords were printed when it was created; remove $demo to start afresh with new ones."
fi

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

# One station on this computer, set up against the demo server and started in the background.
station="$demo/station"
mkdir -p "$station"
# The server answers the name a station sends: use the host name when it resolves.
station_name=localhost
if getent hosts "$(hostname)" >/dev/null 2>&1; then
  station_name="$(hostname)"
fi
station_env=(VORLANE_HOME="$station" VORLANE_REGISTRY_DIR="$station/registry" VORLANE_SYSTEM_DIR="$station/system"
  VORLANE_COMPUTERNAME="$station_name" VORLANE_SIMULATE_SYSTEM=1)
env "${station_env[@]}" build/station/vorlane --setup --server localhost --rate-class "Slot I"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  station_env+=(QT_QPA_PLATFORM=offscreen)
  echo "No display found: the station runs with QT_QPA_PLATFORM=offscreen (no windows to see)."
fi
station_pid=""
if [ -f "$demo/station.pid" ]; then
  station_pid="$(cat "$demo/station.pid")"
  if ! grep -qs "station/vorlane" "/proc/$station_pid/cmdline"; then
    station_pid=""
  fi
fi
if [ -n "$station_pid" ]; then
  echo "Demo station already running (pid $station_pid)."
else
  env "${station_env[@]}" nohup build/station/vorlane >"$demo/station.log" 2>&1 &
  station_pid=$!
  echo "$station_pid" >"$demo/station.pid"
  echo "Demo station '$station_name' started (pid $station_pid); log: $demo/station.log"
fi
echo "Stop the station with: kill \$(cat demo/station.pid)"

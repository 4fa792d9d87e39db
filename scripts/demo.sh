#!/usr/bin/env bash
# Installs what is missing, builds, and creates a demo installation in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

demo="$PWD/demo"
database="$demo/server/systemfiles/vlsystem.mdb"
mkdir -p "$demo"
credentials="$demo/credentials.txt"
if [ ! -f "$database" ]; then
  # The demo keeps a copy of the generated passwords (demo/ is not tracked by git).
  build/server/vorlane-server --init-database "$demo/server" | tee "$credentials"
  chmod 600 "$credentials"
else
  echo "Demo database already exists: $database (kept); remove $demo to start afresh."
  [ -f "$credentials" ] && cat "$credentials"
fi

# The server, in the background on the demo folder. The station part follows.
server_env=(VORLANE_HOME="$demo/server" VORLANE_SIMULATE_SYSTEM=1)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  server_env+=(QT_QPA_PLATFORM=offscreen)
  echo "No display found: the server runs with QT_QPA_PLATFORM=offscreen (no windows to see; it still answers stations)."
fi
server_pid=""
if [ -f "$demo/server.pid" ]; then
  server_pid="$(cat "$demo/server.pid")"
  if ! grep -qs vorlane-server "/proc/$server_pid/cmdline"; then
    server_pid=""
  fi
fi
if [ -n "$server_pid" ]; then
  echo "Demo server already running (pid $server_pid)."
else
  env "${server_env[@]}" nohup build/server/vorlane-server >"$demo/server.log" 2>&1 &
  server_pid=$!
  echo "$server_pid" >"$demo/server.pid"
  echo "Demo server started (pid $server_pid) on $demo/server; log: $demo/server.log"
fi
echo "Sign in to the server as 'administrator' with the password printed when the database was created."
echo "Stop the server with its 'Shutdown Server' command, or: kill \$(cat demo/server.pid)"

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

admin_password="$(sed -n 's/^Administrator password: //p' "$credentials" 2>/dev/null || true)"
cat <<EOF

Try it:
  1. The station's lock screen covers the whole screen. Choose "Administrator",
     type the login 'administrator' and the password ${admin_password:-printed above}, press Enter.
  2. The control panel lists the station '$station_name' as "Idle". Select it, choose
     "Login Guest" and press Apply: the station signs a guest in and times the period;
     "Refresh" shows it "Online". "Logout" on the timer ends the period.
  3. "Close Vorlane" (Ctrl+C) in the control panel's Transactions menu ends the station program.
EOF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Without a display the windows cannot be seen (run the demo on a desktop to sign in);"
  echo "the server and the station still answer each other: see demo/server.log and demo/station.log."
fi

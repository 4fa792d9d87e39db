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

# start_once NAME PROGRAM VAR=VALUE...: starts PROGRAM in the background with the
# given environment, unless the copy recorded in demo/NAME.pid still runs.
start_once() {
  local name="$1" program="$2"
  shift 2
  local pid=""
  if [ -f "$demo/$name.pid" ]; then
    pid="$(cat "$demo/$name.pid")"
    grep -qs "$program" "/proc/$pid/cmdline" || pid=""
  fi
  if [ -n "$pid" ]; then
    echo "Demo $name already running (pid $pid)."
    return
  fi
  env "$@" nohup "$program" >"$demo/$name.log" 2>&1 &
  pid=$!
  echo "$pid" >"$demo/$name.pid"
  echo "Demo $name started (pid $pid); log: $demo/$name.log"
}

# The server, in the background on the demo folder. The station part follows.
headless=""
display_env=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  headless=1
  display_env=(QT_QPA_PLATFORM=offscreen)
  echo "No display found: the server and the station run with QT_QPA_PLATFORM=offscreen (no windows to see)."
fi
server_env=(VORLANE_HOME="$demo/server" VORLANE_SIMULATE_SYSTEM=1 "${display_env[@]}")
start_once server build/server/vorlane-server "${server_env[@]}"
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
station_env+=("${display_env[@]}")
start_once station build/station/vorlane "${station_env[@]}"
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
if [ -n "$headless" ]; then
  echo "Without a display the windows cannot be seen (run the demo on a desktop to sign in);"
  echo "the server and the station still answer each other: see demo/server.log and demo/station.log."
fi

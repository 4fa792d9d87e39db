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
  echo "No display found: the server and the stations run with QT_QPA_PLATFORM=offscreen (no windows to see)."
fi
server_env=(VORLANE_HOME="$demo/server" VORLANE_SIMULATE_SYSTEM=1 "${display_env[@]}")
start_once server build/server/vorlane-server "${server_env[@]}"
echo "Sign in to the server as 'administrator' with the password printed when the database was created."
echo "Stop the server with its 'Shutdown Server' command, or: kill \$(cat demo/server.pid)"

# Two stations side by side on this computer, each bound to its own address so that
# commands reach the one they name: the operator's (this computer's name) and a
# customer's named 127.0.0.2. Each gets its own folders and registry store.
# The server answers the name a station sends: use the host name when it resolves.
operator_name=localhost
if getent ahostsv4 "$(hostname)" >/dev/null 2>&1; then
  operator_name="$(hostname)"
fi
operator_address="$(getent ahostsv4 "$operator_name" | awk 'NR == 1 { print $1 }')"
operator_address="${operator_address:-127.0.0.1}"
customer_name=127.0.0.2

# start_station NAME COMPUTERNAME ADDRESS: sets up demo/NAME against the demo server
# and starts it in the background.
start_station() {
  local name="$1" computer="$2" address="$3"
  local folder="$demo/$name"
  mkdir -p "$folder"
  local env_vars=(VORLANE_HOME="$folder" VORLANE_REGISTRY_DIR="$folder/registry" VORLANE_SYSTEM_DIR="$folder/system"
    VORLANE_COMPUTERNAME="$computer" VORLANE_LISTEN_ADDRESS="$address" VORLANE_SIMULATE_SYSTEM=1)
  env "${env_vars[@]}" build/station/vorlane --setup --server localhost --rate-class "Slot I" >/dev/null
  start_once "$name" build/station/vorlane "${env_vars[@]}" "${display_env[@]}"
}
start_station station "$operator_name" "$operator_address"
start_station customer "$customer_name" "$customer_name"
echo "Stop the stations with: kill \$(cat demo/station.pid) \$(cat demo/customer.pid)"

admin_password="$(sed -n 's/^Administrator password: //p' "$credentials" 2>/dev/null || true)"
cat <<EOF

Try it (two lock screens open: the operator's station '$operator_name' and the customer's '$customer_name'):
  1. On the operator's lock screen choose "Administrator", type the login 'administrator'
     and the password ${admin_password:-printed above}, press Enter.
  2. The control panel lists both stations as "Idle". Select '$customer_name', choose
     "Login Guest" and press Apply: that station signs a guest in and times the period;
     "Refresh" shows it "Online" with the user 'guest'.
  3. Select '$customer_name' again, choose "Send Message", type a text and press Apply:
     the customer's station shows it for five seconds.
  4. "Logout" on the customer's timer ends the period; "Close Vorlane" (Ctrl+C) in the
     control panel's Transactions menu ends the operator's station program.
EOF
if [ -n "$headless" ]; then
  echo "Without a display the windows cannot be seen: run the demo on a desktop to sign in, or"
  echo "under a virtual display (Xvfb :1 & DISPLAY=:1 scripts/demo.sh) and look with"
  echo "'import -display :1 -window root shot.png'. The three programs still answer each other:"
  echo "see demo/server.log, demo/station.log and demo/customer.log."
fi

#!/usr/bin/env bash
# A whole cafe on one computer: the real server and N real stations, each named by and
# bound to its own loopback address (127.0.0.2 onwards) with its own registry store and
# system folder, offscreen with the system simulated and a guest time limit of one minute.
# Once every station has registered, their memory and CPU are measured while idle; then
# a guest is signed in at each with the control panel's "Login Guest" datagram, all within
# a moment, so that every period ends by its limit at about the same moment.
#
# Prints: stations registered, periods started, periods billed, the day's guest totals
# against the expected count and money (read with sqlite3), the slowest logout (from the
# limit to the bill in the database) and the stations' idle memory and CPU. Exits 1 when
# anything was lost: a station that did not register, a guest not signed in, a period not
# billed, a total that is not N guests at N first-quarter prices.
#
# usage: bench/many_stations.sh N
# environment: VORLANE_BUILD_DIR (default build), MANY_STATIONS_ROOT (the folder that
#   receives the installation, default $TMPDIR or /tmp; /dev/shm keeps a busy disk out of
#   the figures), MANY_STATIONS_IDLE_SECONDS (default 10), MANY_STATIONS_KEEP=1 (keep the
#   folder for a look afterwards), MANY_STATIONS_ENGINE=postgresql (the tables in a
#   throw-away PostgreSQL cluster of tests/support/pg_cluster.sh instead of the file; the
#   stations sign in with its password file).
# Everything it starts is stopped when it ends; its traffic stays on 127.0.0.0/8.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

count="${1:-}"
if ! [[ "$count" =~ ^[0-9]+$ ]] || [ "$count" -lt 1 ] || [ "$count" -gt 4000 ]; then
  echo "usage: $0 N   (1 to 4000 stations)" >&2
  exit 2
fi
build="${VORLANE_BUILD_DIR:-build}"
server_exe="$build/server/vorlane-server"
station_exe="$build/station/vorlane"
sender_exe="$build/bench/bench_send_remote_command"
for program in "$server_exe" "$station_exe" "$sender_exe"; do
  [ -x "$program" ] || { echo "missing $program: build first (cmake --build $build)" >&2; exit 2; }
done
engine="${MANY_STATIONS_ENGINE:-sqlite}"
case "$engine" in
sqlite) command -v sqlite3 >/dev/null || { echo "sqlite3 is needed to read the totals" >&2; exit 2; } ;;
postgresql) command -v psql >/dev/null || { echo "psql is needed to read the totals" >&2; exit 2; } ;;
*) echo "MANY_STATIONS_ENGINE is sqlite or postgresql" >&2; exit 2 ;;
esac
# One time zone for the programs and the queries that turn a period's start into a moment.
export TZ=UTC
idle_seconds="${MANY_STATIONS_IDLE_SECONDS:-10}"
# --time-limit 1: the timer ends the period when it shows its 59th second ("0 : 0 : 59").
limit_ms=59000
started_at=$(date +%s)

root="$(mktemp -d "${MANY_STATIONS_ROOT:-${TMPDIR:-/tmp}}/many_stations.XXXXXX")"
database="$root/server/systemfiles/vlsystem.mdb"
pids=()
pg_dir=""

cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  local waited=0
  while [ $waited -lt 100 ]; do
    local alive=0
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1 && break; done
    [ $alive -eq 0 ] && break
    sleep 0.1
    waited=$((waited + 1))
  done
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  wait 2>/dev/null
  [ -z "$pg_dir" ] || tests/support/pg_cluster.sh stop "$pg_dir" >/dev/null 2>&1
  if [ "${MANY_STATIONS_KEEP:-0}" = 1 ]; then
    echo "installation kept in $root"
  else
    rm -rf "$root"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Four free ports of our own, so that tests and other benches may run beside this one.
port_offset=""
for _ in $(seq 200); do
  candidate=$((1000 + 4 * (RANDOM % 4500)))
  taken=0
  for port in $((45670 + candidate)) $((45671 + candidate)) $((45672 + candidate)) $((45673 + candidate)); do
    ss -Hlun "sport = :$port" 2>/dev/null | grep -q . && taken=1
  done
  [ $taken -eq 0 ] && { port_offset=$candidate; break; }
done
[ -n "$port_offset" ] || { echo "no free port range" >&2; exit 2; }
# The stations' logs also say why a sign-in was refused (a busy database is told at "info").
common_env=(QT_QPA_PLATFORM=offscreen VORLANE_SIMULATE_SYSTEM=1 VORLANE_PORT_OFFSET="$port_offset"
  QT_LOGGING_RULES="vorlane.*.info=true")

# The stations' addresses: 127.0.0.2 onwards, passing over .0 and .255 of each block.
addresses=()
k=2
while [ ${#addresses[@]} -lt "$count" ]; do
  last=$((k % 256))
  [ $last -ne 0 ] && [ $last -ne 255 ] && addresses+=("127.0.$((k / 256)).$last")
  k=$((k + 1))
done

# sql STATEMENT: one answer from the cafe's database, waiting out the stations' locks.
if [ "$engine" = postgresql ]; then
  sql() { psql -X -q -At -F ' ' -v ON_ERROR_STOP=1 -d "$database" -c "$1"; }
  # A period's start ("yyyy-mm-ddThh:mm:ss.zzz", UTC here) as milliseconds since 1970.
  start_ms_of="(extract(epoch from pl_start::timestamp) * 1000)::bigint"
else
  sql() { sqlite3 -cmd '.timeout 10000' -separator ' ' "$database" "$1"; }
  start_ms_of="cast(round((julianday(pl_start, 'utc') - 2440587.5) * 86400000) as integer)"
fi
now_ms() { date +%s%3N; }
# log_end ADDRESS: the last lines of a station's log, without the offscreen platform's notices.
log_end() { grep -v "This plugin does not support" "$root/$1/station.log" | tail -5 >&2; }

# station_env ADDRESS: the station's environment, in the array `env_of`.
station_env() {
  local folder="$root/$1"
  env_of=("${common_env[@]}" VORLANE_HOME="$folder" VORLANE_REGISTRY_DIR="$folder/registry"
    VORLANE_SYSTEM_DIR="$folder/system" VORLANE_COMPUTERNAME="$1" VORLANE_LISTEN_ADDRESS="$1")
}

# RSS in kB and CPU ticks (user + system) of a process.
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }

echo "many_stations: N=$count, folders in $root, port offset $port_offset, load average $(cut -d' ' -f1-3 /proc/loadavg)"

database_option=()
if [ "$engine" = postgresql ]; then
  pg_dir="$(mktemp -u "${TMPDIR:-/tmp}/many_stations_pg.XXXXXX")"
  # Durable as a cafe would run it: fsync on, unlike the tests' cluster.
  VORLANE_PG_FSYNC=on VORLANE_PG_MAX_CONNECTIONS=$((count + 50)) tests/support/pg_cluster.sh start "$pg_dir" >"$root/pg.log" 2>&1 || { cat "$root/pg.log" >&2; exit 1; }
  export PGUSER=vorlane PGPASSFILE="$pg_dir/pgpass"
  database="$(cat "$pg_dir/location")/vorlane_bench"
  psql -X -q -d "$(cat "$pg_dir/location")/postgres" -c "create database vorlane_bench" || exit 1
  database_option=(--database "$database")
  echo "database: $database"
fi
timeout 60 "$server_exe" --init-database "$root/server" "${database_option[@]}" --admin-password admin --guest-password guestpw \
  >"$root/init.log" 2>&1 || { echo "the database was not created:" >&2; cat "$root/init.log" >&2; exit 1; }
first_quarter="$(sql 'select rt_quarter1 from Rates_master limit 1')"
[[ "$first_quarter" =~ ^[0-9]+$ ]] || { echo "no Slot I rate in the new database" >&2; exit 1; }

env "${common_env[@]}" VORLANE_HOME="$root/server" VORLANE_REGISTRY_DIR="$root/server" \
  "$server_exe" >"$root/server.log" 2>&1 &
server_pid=$!
pids+=("$server_pid")

# Each station set up as `vorlane --setup` does it, eight at a time.
setup_failed=0
setups=()
for address in "${addresses[@]}"; do
  mkdir -p "$root/$address"
  station_env "$address"
  env "${env_of[@]}" timeout 60 "$station_exe" --setup --server localhost \
    --rate-class "Slot I" --time-limit 1 >"$root/$address/setup.log" 2>&1 &
  setups+=("$!")
  if [ ${#setups[@]} -eq 8 ]; then
    for pid in "${setups[@]}"; do wait "$pid" || setup_failed=1; done
    setups=()
  fi
done
for pid in "${setups[@]}"; do wait "$pid" || setup_failed=1; done
[ $setup_failed -eq 0 ] || echo "warning: a station's setup failed (see $root/*/setup.log)" >&2

declare -A station_pid
for address in "${addresses[@]}"; do
  station_env "$address"
  env "${env_of[@]}" "$station_exe" >"$root/$address/station.log" 2>&1 &
  station_pid[$address]=$!
  pids+=("$!")
done
launch_done=$(date +%s)

# Registered: the station's row exists and says Idle.
registered=0
deadline=$(($(date +%s) + 90 + count / 2))
while [ "$(date +%s)" -lt $deadline ]; do
  registered="$(sql "select count(*) from machine_master2 where machinename like '127.%' and status=0")"
  [ "${registered:-0}" -ge "$count" ] && break
  sleep 1
done
registered="${registered:-0}"
echo "stations registered: $registered of $count ($(($(date +%s) - launch_done)) s after the last start)"
if [ "$registered" -lt "$count" ]; then
  idle_rows=" $(sql "select machinename from machine_master2 where status=0" | tr '\n' ' ') "
  for address in "${addresses[@]}"; do
    [[ "$idle_rows" == *" $address "* ]] && continue
    echo "not registered: $address; the end of its log:" >&2
    log_end "$address"
  done
fi

# Idle: the stations' memory and CPU over a quiet interval before any guest arrives.
declare -A ticks_before
for address in "${addresses[@]}"; do ticks_before[$address]=$(cpu_ticks "${station_pid[$address]}"); done
server_ticks_before=$(cpu_ticks "$server_pid")
sleep "$idle_seconds"
hz=$(getconf CLK_TCK)
idle_report="$(for address in "${addresses[@]}"; do
  pid=${station_pid[$address]}
  echo "$(rss_kb "$pid") $(($(cpu_ticks "$pid") - ticks_before[$address]))"
done | awk -v n="$count" -v hz="$hz" -v s="$idle_seconds" '
  { rss += $1; if ($1 > maxrss) maxrss = $1; cpu += $2; if ($2 > maxcpu) maxcpu = $2 }
  END { printf "stations idle: RSS %.1f MB each on average (largest %.1f MB, all %.0f MB); CPU %.2f%% of a core each on average (largest %.2f%%, all %.1f%%)",
          rss / n / 1024, maxrss / 1024, rss / 1024, 100 * cpu / n / hz / s, 100 * maxcpu / hz / s, 100 * cpu / hz / s }')"
server_idle_cpu=$(awk -v t=$(($(cpu_ticks "$server_pid") - server_ticks_before)) -v hz="$hz" -v s="$idle_seconds" \
  'BEGIN { printf "%.2f", 100 * t / hz / s }')
echo "$idle_report"
echo "server idle: RSS $(($(rss_kb "$server_pid") / 1024)) MB, CPU $server_idle_cpu% of a core"

# Every guest signed in within a moment, as an operator would with the control panel.
sent_ms=$(now_ms)
VORLANE_PORT_OFFSET="$port_offset" VORLANE_LISTEN_ADDRESS=127.0.0.1 QT_QPA_PLATFORM=offscreen \
  "$sender_exe" "${addresses[@]}" || echo "warning: not every Login Guest datagram was sent" >&2

# Each period: seen Online, then its ledger row; the moment the row is first seen,
# against the period's start plus its limit, is the logout's delay.
declare -A online=() billed_ms=() start_ms=()
billed=0
deadline=$(($(date +%s) + limit_ms / 1000 + 90 + count / 2))
while [ "$(date +%s)" -lt $deadline ]; do
  seen_ms=$(now_ms)
  while read -r kind station value; do
    [ -n "$kind" ] || continue
    if [ "$kind" = S ]; then
      [ "$value" = 1 ] && online[$station]=1
    elif [ -z "${billed_ms[$station]:-}" ]; then
      billed_ms[$station]=$seen_ms
      start_ms[$station]=$value
      billed=$((billed + 1))
    fi
  done < <(sql "select 'S', machinename, cast(status as text) from machine_master2 where machinename like '127.%'
    union all select 'L', pl_station, cast($start_ms_of as text)
      from period_ledger where pl_counted = 1 and pl_id > 0;" 2>/dev/null)
  [ $billed -ge "$count" ] && break
  sleep 0.5
done

started=0
for address in "${addresses[@]}"; do
  if [ -n "${online[$address]:-}" ] || [ -n "${billed_ms[$address]:-}" ]; then started=$((started + 1)); fi
done
echo "periods started: $started of $count"
echo "periods billed: $billed of $count"

slowest="" slowest_station="" slowest_ms=-999999 late=0 first_start="" last_start=""
for station in "${addresses[@]}"; do
  [ -n "${billed_ms[$station]:-}" ] || continue
  delay=$((billed_ms[$station] - start_ms[$station] - limit_ms))
  [ $delay -gt 10000 ] && late=$((late + 1))
  if [ $delay -gt $slowest_ms ]; then slowest_ms=$delay; slowest_station=$station; fi
  if [ -z "$first_start" ] || [ "${start_ms[$station]}" -lt "$first_start" ]; then first_start=${start_ms[$station]}; fi
  if [ -z "$last_start" ] || [ "${start_ms[$station]}" -gt "$last_start" ]; then last_start=${start_ms[$station]}; fi
done
if [ "$billed" -gt 0 ]; then
  slowest="$(awk -v d=$slowest_ms 'BEGIN { printf "%.1f", d / 1000 }') s ($slowest_station)"
  echo "slowest logout: $slowest after its limit; $late over 10 s; the periods started within $((last_start - first_start)) ms of each other, the first $((first_start - sent_ms)) ms after the sender started"
else
  echo "slowest logout: none billed"
fi

# The day's totals. The database is new, so every guest_trans row is this run's.
read -r days guests money < <(sql "select count(*), coalesce(sum(gt_number), 0), coalesce(sum(gt_charge), 0) from guest_trans")
read -r ledger_rows ledger_money < <(sql "select count(*), coalesce(sum(pl_amount), 0) from period_ledger where pl_id > 0")
wrong_rows="$(sql "select count(*) from machine_master2 where machinename like '127.%' and (status <> 0 or Amount <> '$first_quarter')")"
expected_money=$((count * first_quarter))
echo "day's guests: $guests of $count expected; money $money of $expected_money expected ($count x $first_quarter) in $days day row(s)"
echo "period ledger: $ledger_rows rows, $ledger_money in all; station rows not Idle with $first_quarter: $wrong_rows"

crashed=0
for address in "${addresses[@]}"; do kill -0 "${station_pid[$address]}" 2>/dev/null || crashed=$((crashed + 1)); done
kill -0 "$server_pid" 2>/dev/null || echo "the server has ended" >&2
echo "stations no longer running: $crashed; load average $(cut -d' ' -f1-3 /proc/loadavg); $(($(date +%s) - started_at)) s in all"

lost=0
[ "$registered" -eq "$count" ] || lost=1
[ "$started" -eq "$count" ] || lost=1
[ "$billed" -eq "$count" ] || lost=1
[ "$guests" -eq "$count" ] || lost=1
[ "$money" -eq "$expected_money" ] || lost=1
[ "$ledger_rows" -eq "$count" ] || lost=1
[ "$wrong_rows" -eq 0 ] || lost=1
[ "$crashed" -eq 0 ] || lost=1
if [ $lost -ne 0 ]; then
  echo "LOST: not every station and period came through (logs in $root unless removed)" >&2
  for address in "${addresses[@]}"; do
    if [ -z "${billed_ms[$address]:-}" ]; then
      echo "--- $address (not billed), the end of its log:" >&2
      log_end "$address"
      break
    fi
  done
  exit 1
fi
echo "nothing lost"

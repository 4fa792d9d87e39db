#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests:
#   pg_cluster.sh start DIR   makes and starts a cluster in DIR/data, on 127.0.0.1 at a
#                             random port, and writes DIR/location ("postgresql://127.0.0.1:PORT")
#                             and DIR/pgpass (the password file of its user "vorlane");
#                             VORLANE_PG_FSYNC (default off) and VORLANE_PG_MAX_CONNECTIONS
#                             (default 200) set those server settings
#   pg_cluster.sh stop DIR    stops it and removes DIR
# The cluster runs as an unprivileged user: the caller, or "nobody" when the caller is root.
set -euo pipefail

action=${1:-}
dir=${2:-}
if [[ -z "$action" || -z "$dir" ]]; then
  echo "usage: $0 start|stop DIR" >&2
  exit 2
fi

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [[ -z "$bin" || ! -x "$bin/initdb" ]]; then
  echo "pg_cluster: PostgreSQL is not installed (no initdb below /usr/lib/postgresql)" >&2
  exit 1
fi

as_owner() {
  if [[ $(id -u) -eq 0 ]]; then
    runuser -u nobody -- "$@"
  else
    "$@"
  fi
}

case "$action" in
start)
  if [[ -f "$dir/data/postmaster.pid" ]]; then
    as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  password=$(head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n')
  printf '%s\n' "$password" >"$dir/password"
  if [[ $(id -u) -eq 0 ]]; then
    chown nobody "$dir" "$dir/password"
  fi
  as_owner "$bin/initdb" -D "$dir/data" -U vorlane --pwfile="$dir/password" -E UTF8 --no-locale \
    --auth-local=trust --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1
  for attempt in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 40000))
    if as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
      -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=${VORLANE_PG_FSYNC:-off} -c max_connections=${VORLANE_PG_MAX_CONNECTIONS:-200}" \
      start >/dev/null 2>&1; then
      printf 'postgresql://127.0.0.1:%s\n' "$port" >"$dir/location"
      # The password file is read by the tests, who run as the caller.
      printf '127.0.0.1:%s:*:vorlane:%s\n' "$port" "$password" >"$dir/pgpass"
      chmod 600 "$dir/pgpass"
      rm -f "$dir/password"
      echo "pg_cluster: started on 127.0.0.1:$port"
      exit 0
    fi
  done
  echo "pg_cluster: the cluster did not start; see $dir/server.log" >&2
  cat "$dir/server.log" >&2 || true
  exit 1
  ;;
stop)
  if [[ -f "$dir/data/postmaster.pid" ]]; then
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  fi
  rm -rf "$dir"
  echo "pg_cluster: stopped"
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac

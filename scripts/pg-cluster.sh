#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests and the benchmarks: its own
# folder, a free port on 127.0.0.1 (and a socket in the folder), one superuser
# "gateway" who logs in with a password, nothing synced to disk.
#
#   scripts/pg-cluster.sh start DIR   makes the cluster in DIR/data when there
#                                     is none, starts it (on its previous port
#                                     when that is free), and writes DIR/server.env
#                                     (PGHOST, PGPORT, PGUSER, PGPASSWORD)
#   scripts/pg-cluster.sh stop DIR    stops it; the data stay for another start
#   scripts/pg-cluster.sh drop DIR    stops it and removes DIR
#
# A second start of a running cluster does nothing. Run as root, the server
# runs as the user "postgres" (PostgreSQL refuses to run as root). The
# binaries are those of the newest /usr/lib/postgresql/<version>, or PG_BINDIR.
set -euo pipefail

command=${1:-}
dir=${2:-}
if [[ -z $command || -z $dir ]]; then
  echo "usage: $0 start|stop|drop DIR" >&2
  exit 2
fi

bindir=${PG_BINDIR:-}
if [[ -z $bindir ]]; then
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
fi
if [[ -z $bindir || ! -x $bindir/pg_ctl ]]; then
  echo "$0: no PostgreSQL server found (install the Debian package postgresql)" >&2
  exit 1
fi

as_owner() {
  if [[ $(id -u) -eq 0 ]]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

running() {
  [[ -f $dir/data/postmaster.pid ]] && as_owner "$bindir/pg_ctl" -D "$dir/data" status >/dev/null 2>&1
}

port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

start() {
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  if running; then return 0; fi
  if [[ $(id -u) -eq 0 ]]; then
    if ! id postgres >/dev/null 2>&1; then
      echo "$0: running as root needs the user postgres (made by the postgresql package)" >&2
      exit 1
    fi
    chown postgres "$dir"
    chmod 755 "$dir"
  fi
  if [[ ! -f $dir/data/PG_VERSION ]]; then
    local password
    password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
    printf '%s\n' "$password" >"$dir/password"
    [[ $(id -u) -eq 0 ]] && chown postgres "$dir/password"
    chmod 600 "$dir/password"
    as_owner "$bindir/initdb" -D "$dir/data" -U gateway --pwfile="$dir/password" \
      --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 --no-sync >"$dir/initdb.log" 2>&1 || {
      cat "$dir/initdb.log" >&2
      exit 1
    }
  fi
  local password port tries=0
  password=$(cat "$dir/password")
  # A restarted cluster listens where it did before, when it can: clients
  # that were connected find it again.
  local previous=""
  [[ -f $dir/port ]] && previous=$(cat "$dir/port")
  while :; do
    if [[ -n $previous ]]; then
      port=$previous
      previous=""
    else
      port=$((20000 + RANDOM % 40000))
    fi
    port_in_use "$port" && continue
    if as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
      -o "-c listen_addresses=127.0.0.1 -p $port -c unix_socket_directories=$dir -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
      >/dev/null; then
      break
    fi
    tries=$((tries + 1))
    if ((tries >= 5)); then
      echo "$0: the server did not start; its log:" >&2
      tail -n 20 "$dir/server.log" >&2
      exit 1
    fi
  done
  echo "$port" >"$dir/port"
  (umask 077 && printf 'PGHOST=127.0.0.1\nPGPORT=%s\nPGUSER=gateway\nPGPASSWORD=%s\nPGSOCKETDIR=%s\n' \
    "$port" "$password" "$dir" >"$dir/server.env.new")
  mv "$dir/server.env.new" "$dir/server.env"
}

stop() {
  [[ -d $dir ]] || return 0
  rm -f "$dir/server.env"
  if running; then as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >/dev/null; fi
}

case $command in
  start) start ;;
  stop) stop ;;
  drop)
    stop
    rm -rf "$dir"
    ;;
  *)
    echo "usage: $0 start|stop|drop DIR" >&2
    exit 2
    ;;
esac

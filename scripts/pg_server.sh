#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests: made with initdb (trust
# authentication) in a fresh temporary folder, listening on a free port of
# 127.0.0.1 with its socket in that folder. Run as root, the server runs as the
# postgres user (initdb refuses root). "start" always succeeds: it writes either
# "port=N" and "dir=D" or "error=TEXT" into INFO, so the tests can skip with the
# reason instead of failing as a whole.
# "halt" stops the server (ending its sessions) but keeps its folder and port, "resume" starts it
# again there (for tests of a server that goes away and comes back).
# Usage: scripts/pg_server.sh start INFO | stop INFO | halt INFO | resume INFO
set -uo pipefail
info="$2"
as_pg() { if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
# Starts the server of folder $1 on port $2; fails when it does not come up.
pg_start() {
  as_pg "$bin/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $2 -k $1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
    start >/dev/null 2>&1
}

case "$1" in
  start)
    mkdir -p "$(dirname "$info")"
    if [ -z "$bin" ]; then
      echo "error=PostgreSQL server binaries are not installed (/usr/lib/postgresql/*/bin)" >"$info"
      exit 0
    fi
    dir=$(mktemp -d /tmp/vx-pg.XXXXXX)
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir"; fi
    port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    if ! as_pg "$bin/initdb" -A trust -U postgres -E UTF8 --locale=C --no-sync -D "$dir/data" >"$dir/initdb.log" 2>&1; then
      echo "error=initdb failed: $(tail -n 3 "$dir/initdb.log" | tr '\n' ' ')" >"$info"
      rm -rf "$dir"
      exit 0
    fi
    if ! pg_start "$dir" "$port"; then
      echo "error=the server did not start: $(tail -n 3 "$dir/server.log" | tr '\n' ' ')" >"$info"
      rm -rf "$dir"
      exit 0
    fi
    printf 'port=%s\ndir=%s\n' "$port" "$dir" >"$info"
    ;;
  stop)
    dir=$(sed -n 's/^dir=//p' "$info" 2>/dev/null)
    if [ -n "$dir" ] && [ -n "$bin" ]; then
      as_pg "$bin/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop >/dev/null 2>&1
      rm -rf "$dir"
    fi
    rm -f "$info"
    ;;
  halt)
    dir=$(sed -n 's/^dir=//p' "$info" 2>/dev/null)
    [ -n "$dir" ] && [ -n "$bin" ] || exit 1
    as_pg "$bin/pg_ctl" -D "$dir/data" -m fast -w -t 30 stop >/dev/null 2>&1
    ;;
  resume)
    dir=$(sed -n 's/^dir=//p' "$info" 2>/dev/null)
    port=$(sed -n 's/^port=//p' "$info" 2>/dev/null)
    [ -n "$dir" ] && [ -n "$port" ] && [ -n "$bin" ] || exit 1
    pg_start "$dir" "$port"
    ;;
  *)
    echo "usage: $0 start INFO | stop INFO | halt INFO | resume INFO" >&2
    exit 2
    ;;
esac

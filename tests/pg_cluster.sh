#!/usr/bin/env bash
# Starts or stops the throwaway PostgreSQL cluster of the test run.
#   pg_cluster.sh start URL_FILE   initdb in a new temporary folder, a free port
#                                  on 127.0.0.1; writes the server's URL to URL_FILE
#   pg_cluster.sh stop URL_FILE    stops it and removes the folder
# initdb refuses to run as root, so as root the cluster belongs to "postgres".
set -euo pipefail
cmd=$1
url_file=$2
state_file="$url_file.dir"

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ]; then
  echo "PostgreSQL server binaries not found (install the postgresql package)" >&2
  exit 1
fi
as_owner=()
if [ "$(id -u)" = 0 ]; then
  as_owner=(runuser -u postgres --)
fi

stop() {
  [ -f "$state_file" ] || return 0
  local dir
  dir=$(cat "$state_file")
  if [ -d "$dir/data" ]; then
    "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir" "$state_file" "$url_file"
}

case "$cmd" in
  start)
    stop
    dir=$(mktemp -d /tmp/vexaro-pg.XXXXXX)
    chmod 755 "$dir"
    [ ${#as_owner[@]} -gt 0 ] && chown postgres "$dir"
    echo "$dir" > "$state_file"
    "${as_owner[@]}" "$bin/initdb" -D "$dir/data" -A trust -U postgres -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
      || { cat "$dir/initdb.log" >&2; exit 1; }
    for attempt in 1 2 3 4 5; do
      port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
      if "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
           -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" start >/dev/null; then
        echo "postgresql://postgres@127.0.0.1:$port/postgres" > "$url_file"
        echo "PostgreSQL test cluster on 127.0.0.1:$port"
        exit 0
      fi
    done
    cat "$dir/server.log" >&2
    exit 1
    ;;
  stop)
    stop
    echo "PostgreSQL test cluster stopped"
    ;;
  *)
    echo "usage: $0 start|stop URL_FILE" >&2
    exit 2
    ;;
esac

# cluster.sh: a throwaway PostgreSQL cluster for the extension's tests and
# benchmark. Source it, then:
#   cluster_start DIR [SETTING=VALUE...]  initdb in DIR/data and start a server
#                                          reachable only by a socket in DIR
#   cluster_stop                           stop that server by its process id
# cluster_start exports PGHOST, PGPORT, PGUSER and PGDATABASE for psql and
# pg_regress. The caller owns DIR and removes it; put cluster_stop in an EXIT
# trap so a failure stops the server too. As root (CI), the server runs as
# the `postgres` user, since initdb refuses to run as root.

ZABRELO_PG_BIN=${ZABRELO_PG_BIN:-$(pg_config --bindir)}

cluster_as_owner() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

cluster_start() {
  local dir=$1
  shift
  [ "$(id -u)" = 0 ] && chown postgres: "$dir"
  # A port nobody listens on: with no TCP listener it only names the socket
  # file, but psql and pg_regress take it from PGPORT either way.
  PGPORT=$(/usr/bin/python3 -I -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  cluster_as_owner "$ZABRELO_PG_BIN/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C.UTF-8 \
    --auth=trust >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log"; return 1; }
  {
    echo "listen_addresses = ''"
    echo "unix_socket_directories = '$dir'"
    echo "port = $PGPORT"
    echo "fsync = off"
    for setting in "$@"; do echo "${setting%%=*} = '${setting#*=}'"; done
  } >>"$dir/data/postgresql.conf"
  ZABRELO_PG_DIR=$dir
  cluster_as_owner "$ZABRELO_PG_BIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w start >/dev/null ||
    { cat "$dir/server.log"; return 1; }
  export PGHOST=$dir PGPORT PGUSER=postgres PGDATABASE=postgres
}

cluster_stop() {
  local pidfile=${ZABRELO_PG_DIR:-}/data/postmaster.pid pid
  [ -n "${ZABRELO_PG_DIR:-}" ] && [ -f "$pidfile" ] || return 0
  pid=$(head -n 1 "$pidfile")
  # SIGINT is the fast shutdown: open sessions are ended, nothing waits.
  kill -INT "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
}

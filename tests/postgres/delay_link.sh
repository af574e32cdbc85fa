# Sourced by the tests that reach a test cluster through the delaying proxy
# (bench/delay_proxy), a link of their own.
#
# start_proxy PROXY CONNINFO WORKDIR [PORT]: PROXY in front of the socket
# CONNINFO names, 10 ms each way, on PORT or a port of its own; sets
# PROXY_PID and PROXY_PORT, and fails when it gives no port (its errors in
# WORKDIR/proxy.err).
start_proxy() {
  local proxy=$1 conninfo=$2 work=$3 dir pgport
  dir=$(sed -n 's/.*host=\([^ ]*\).*/\1/p' <<<"$conninfo")
  pgport=$(sed -n 's/.*port=\([^ ]*\).*/\1/p' <<<"$conninfo")
  rm -f "$work/proxy.port"
  "$proxy" --target "$dir/.s.PGSQL.$pgport" --delay-ms 10 --port "${4:-0}" \
    --port-file "$work/proxy.port" >/dev/null 2>>"$work/proxy.err" &
  PROXY_PID=$!
  local tries=0
  until [ -s "$work/proxy.port" ] || [ $tries -ge 500 ]; do sleep 0.01; tries=$((tries + 1)); done
  PROXY_PORT=$(cat "$work/proxy.port" 2>/dev/null)
  [ -n "$PROXY_PORT" ]
}

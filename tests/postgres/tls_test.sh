#!/usr/bin/env bash
# A server host reached over TLS with sslmode=verify-full: the test makes its
# own certificate authority and a server certificate for localhost with
# openssl, starts a cluster of its own that takes TLS alone on a loopback
# port, and runs formsetup and sendsummary on a host whose descriptor trusts
# that authority (exit 0, no box). A PC that trusts another authority, or
# asks for a name the certificate does not give, is refused with one box
# (3043) whose cause gives libpq's words; the host's files stay as they were.
# With --wine the programs are BIN_DIR's Windows programs, run under Wine
# (WINEPREFIX as the caller set it), with their libpq's own OpenSSL.
#
#   tls_test.sh BIN_DIR [--wine]
set -uo pipefail

BIN=${1:?usage: $0 BIN_DIR [--wine]}
WINE=${2:-}
HERE=$(cd "$(dirname "$0")" && pwd)
[ "$WINE" != --wine ] || source "$HERE/../windows/wine.sh"
# run PROGRAM ARGS…: one of the programs, natively or under Wine.
run() {
  if [ "$WINE" = --wine ]; then wine "$BIN/$1.exe" "${@:2}"; else "$BIN/$1" "${@:2}"; fi
}
# The name a program gives PATH: under Wine drive Z: is /, and a connection
# string takes forward slashes (a backslash there escapes).
as_seen() {
  if [ "$WINE" = --wine ]; then echo "Z:$1"; else echo "$1"; fi
}
command -v openssl >/dev/null || { echo "SKIP: openssl is missing (openssl)"; exit 77; }
command -v psql >/dev/null || { echo "SKIP: psql is missing (postgresql-client)"; exit 77; }

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/zel-tls.XXXXXX")
chmod 755 "$ROOT"
cleanup() {
  "$HERE/cluster.sh" stop "$ROOT/cluster" >/dev/null 2>&1
  rm -rf "$ROOT"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# An authority and a certificate it signs for `name`.
authority() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$1" \
    -keyout "$ROOT/$1.key" -out "$ROOT/$1.crt" 2>/dev/null || fail "openssl: authority $1"
}
CERTS=$ROOT/certs
mkdir -p "$CERTS"
authority zel-test-ca
authority other-ca
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$CERTS/server.key" \
  -out "$ROOT/server.csr" 2>/dev/null || fail "openssl: server request"
printf 'subjectAltName=DNS:localhost\n' >"$ROOT/san.ext"
openssl x509 -req -in "$ROOT/server.csr" -CA "$ROOT/zel-test-ca.crt" -CAkey "$ROOT/zel-test-ca.key" \
  -CAcreateserial -days 2 -extfile "$ROOT/san.ext" -out "$CERTS/server.crt" 2>/dev/null ||
  fail "openssl: server certificate"
chmod -R a+rX "$ROOT"

"$HERE/cluster.sh" start "$ROOT/cluster" --owner $$ --tls "$CERTS" free >/dev/null
status=$?
[ $status -ne 77 ] || { echo "SKIP: PostgreSQL is not installed (postgresql, libpq-dev)"; exit 77; }
[ $status -eq 0 ] || fail "the cluster did not start"
PORT=$(sed -nE 's/.* port=([0-9]+).*/\1/p' "$ROOT/cluster/conninfo-tcp")
SOCKET=$(cat "$ROOT/cluster/conninfo")
psql "$SOCKET" -qc "CREATE DATABASE zel_tls" >/dev/null || fail "CREATE DATABASE"

mkdir -p "$ROOT/windows"
export ZEL_WINDIR=$(as_seen "$ROOT/windows") ZEL_MESSAGE_UI=text SOURCE_DATE_EPOCH=1718454225
HOST=$ROOT/host
CA=$(as_seen "$ROOT/zel-test-ca.crt")
OTHER_CA=$(as_seen "$ROOT/other-ca.crt")
tls="host=localhost port=$PORT dbname=zel_tls user=postgres sslmode=verify-full"
out=$(run zelhost init --server "$tls sslrootcert=$CA" "$(as_seen "$HOST")" 2>&1)
status=$?
if grep -q "SSL support is not compiled in" <<<"$out"; then
  echo "SKIP: these programs' libpq was built without TLS (OpenSSL)"; exit 77
fi
[ $status -eq 0 ] || fail "zelhost init --server over TLS: $out"
out=$(run formsetup 2>&1) || fail "formsetup over TLS exits $?: $out"
RECORD=$(run zelhost sample "$(as_seen "$HOST")" | tail -1 | tr -d '\r')
out=$(run sendsummary "$RECORD" 2>&1) || fail "sendsummary over TLS exits $?: $out"

# A PC that trusts another authority, then one that names the server by an
# address the certificate does not give: one box each, naming the cause.
before=$(cd "$HOST" && find . -type f -exec sha256sum {} + | sort)
for wrong in "host=localhost port=$PORT dbname=zel_tls user=postgres sslmode=verify-full sslrootcert=$OTHER_CA|certificate verify failed" \
             "host=127.0.0.1 port=$PORT dbname=zel_tls user=postgres sslmode=verify-full sslrootcert=$CA|does not match host name"; do
  echo "${wrong%%|*}" >"$HOST/zel.db"
  out=$(run formsetup 2>&1) && fail "formsetup with ${wrong%%|*} exits 0"
  echo "refused, as it must be:"; sed "s/^/  /" <<<"$out"
  grep -q "3043" <<<"$out" || fail "no box 3043 for ${wrong%%|*}: $out"
  grep -q "${wrong##*|}" <<<"$out" || fail "the cause does not say '${wrong##*|}': $out"
  [ "$(grep -c '^== ' <<<"$out")" -eq 1 ] || fail "not one box for ${wrong%%|*}: $out"
done
echo "$tls sslrootcert=$CA" >"$HOST/zel.db"
after=$(cd "$HOST" && find . -type f -exec sha256sum {} + | sort)
[ "$before" = "$after" ] || fail "a refused run changed the host's files: $(diff <(echo "$before") <(echo "$after"))"
out=$(run formsetup 2>&1) || fail "formsetup after the refusals exits $?: $out"
echo "PASS: verify-full over TLS works, the wrong authority and the wrong name are refused"

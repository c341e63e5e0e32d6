#!/usr/bin/env bash
# The database tests again, through QODBC against a throw-away local PostgreSQL: psqlODBC is
# registered as "SQL SERVER" in a private odbcinst.ini, so the program's own connection string
# ("driver={SQL SERVER};server=...;uid=kvrtmlsn;pwd=...;database=...") reaches it unchanged.
# When the server cannot be started the lane says so in one line and is skipped, not failed.
set -uo pipefail
BUILD=$1
LANE_TESTS=(tests/core/tst_dblane tests/e2e/tst_e2e_submission)

skip() { echo "ODBC lane skipped: $*"; exit 0; }

PGBIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
DRIVER=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so
[ -n "$PGBIN" ] && [ -x "$PGBIN/initdb" ] || skip "PostgreSQL is not installed"
[ -f "$DRIVER" ] || skip "psqlODBC is not installed"

WORK=$(mktemp -d /tmp/tarvek-odbc.XXXXXX)
chmod 755 "$WORK"
RUNAS=()
if [ "$(id -u)" -eq 0 ]; then
    id postgres >/dev/null 2>&1 || skip "no postgres user to run the server as"
    chown postgres "$WORK"
    RUNAS=(runuser -u postgres --)
fi
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null || echo 55432)
PASSWORD=$("$BUILD/tests/core/tst_dblane" --print-sql-password 2>/dev/null | tail -n 1)

stop() {
    "${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$WORK/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$WORK"
}
trap stop EXIT

"${RUNAS[@]}" "$PGBIN/initdb" -D "$WORK/data" -U postgres -E UTF8 --locale=C.UTF-8 -A trust >"$WORK/initdb.log" 2>&1 ||
    skip "initdb failed ($(tail -n 1 "$WORK/initdb.log"))"
"${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$WORK/data" -o "-p $PORT -k $WORK -c listen_addresses=127.0.0.1" -l "$WORK/server.log" -w start >/dev/null 2>&1 ||
    skip "the server did not start ($(tail -n 1 "$WORK/server.log" 2>/dev/null))"
psql() { "${RUNAS[@]}" "$PGBIN/psql" -h "$WORK" -p "$PORT" -U postgres -v ON_ERROR_STOP=1 -q "$@"; }
psql -d postgres -c "create role kvrtmlsn login password '$PASSWORD'" >/dev/null &&
    psql -d postgres -c "create database y3436 owner kvrtmlsn" >/dev/null &&
    psql -d postgres -c "create database f3436 owner kvrtmlsn" >/dev/null ||
    skip "could not create the login and databases"

cat >"$WORK/odbcinst.ini" <<INI
[SQL SERVER]
Description=PostgreSQL standing in for SQL Server in the tests
Driver=$DRIVER
INI
export ODBCSYSINI=$WORK
export TARVEK_TEST_ODBC_SERVER="127.0.0.1;port=$PORT"
# The end-to-end test's browser engine, headless and as root.
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking --disable-component-update --renderer-process-limit=1 --disable-features=PaintHolding"

echo "== ODBC lane: PostgreSQL on port $PORT through psqlODBC as {SQL SERVER}"
failed=0
for t in "${LANE_TESTS[@]}"; do
    if QT_QPA_PLATFORM=offscreen LANG=tr_TR.UTF-8 LC_ALL=tr_TR.UTF-8 "$BUILD/$t" >"$WORK/out.txt" 2>&1; then
        grep -E '^Totals' "$WORK/out.txt" | sed "s|^|  $(basename "$t") (ODBC): |"
    else
        cat "$WORK/out.txt"
        failed=1
    fi
done
exit $failed

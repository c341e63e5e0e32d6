#!/usr/bin/env bash
# ./run bench: each benchmark prints its figures against a baseline measured in the same run, then
# the goals are gathered into one closing table. A benchmark that fails goes on to the next.
set -uo pipefail
BUILD=${1:-build}
export QT_QPA_PLATFORM=offscreen
# The engine runs without its sandbox for every benchmark (as root it refuses to start with it).
export QTWEBENGINE_DISABLE_SANDBOX=1
# Only the benchmarks' own lines: the engine's start-up report and offscreen notices go.
export QT_LOGGING_RULES="qt.webenginecontext.info=false;qt.qpa.*=false"
OUT=$(mktemp)
LOG=$(mktemp)
trap 'rm -f "$OUT" "$LOG"' EXIT
status=0

run() {
    local title=$1
    shift
    echo "== $title"
    "$@" 2>"$LOG" | tee -a "$OUT" | grep -v '^goal|'
    local rc=${PIPESTATUS[0]}
    if [ "$rc" -ne 0 ]; then
        echo "   (exit $rc; its last messages:)"
        tail -n 5 "$LOG" | sed 's/^/   /'
        status=1
    fi
}

run "photo preparation vs the libjpeg-turbo floor and ImageMagick" \
    "$BUILD/bench/bench_photoprep" "${PHOTOPREP_ROUNDS:-5}"
run "pending list: fill of 10,000 records vs the bare query; one photograph's checks" \
    "$BUILD/bench/bench_queue" "${QUEUE_ROUNDS:-5}"
run "pending list: fill with 1,000 unprepared photographs vs one by one over the cores" \
    "$BUILD/bench/bench_photofill" "${PHOTOFILL_COUNT:-1000}" "${PHOTOFILL_ROUNDS:-3}"
run "submission window: reading and deciding a portal page vs loading it" \
    "$BUILD/bench/bench_pagereading" "${PAGEREAD_COUNT:-20}" "${PAGEREAD_ROWS:-60}"
run "whole submissions against the simulator vs the engine's page loads" \
    "$BUILD/bench/bench_submission" "${SUBMISSION_COUNT:-200}"
run "one security code per queue: the session kept vs a login per record" \
    "$BUILD/bench/bench_session" "${SESSION_COUNT:-20}" "${SESSION_ROUNDS:-3}"

echo
echo "== goals"
for g in "flat memory" "time per record" "photos in parallel" "one photo" "list fill"; do
    grep -q "^goal|$g" "$OUT" || echo "goal|$g|not measured in this run|FAIL" >>"$OUT"
done
grep '^goal|' "$OUT" | awk -F'|' '
    { printf "  %-46s %-52s %s\n", $2, $3, $4; if ($4 == "FAIL") failed = 1 }
    END { exit failed }' || status=1
exit $status

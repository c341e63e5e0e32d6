#!/usr/bin/env bash
# ./run bench: each benchmark prints its ratio against a baseline measured in the same run.
set -euo pipefail
BUILD=${1:-build}
export QT_QPA_PLATFORM=offscreen
# Only the benchmarks' own lines: the engine's start-up report and offscreen notices go.
export QT_LOGGING_RULES="qt.webenginecontext.info=false;qt.qpa.*=false"

echo "== photo preparation vs the libjpeg-turbo floor and ImageMagick"
"$BUILD/bench/bench_photoprep" "${PHOTOPREP_ROUNDS:-5}"

echo "== pending list: fill of 10,000 records and one photograph's checks"
"$BUILD/bench/bench_queue"

echo "== submission window: reading and deciding a portal page vs loading it"
QTWEBENGINE_DISABLE_SANDBOX=1 "$BUILD/bench/bench_pagereading" "${PAGEREAD_COUNT:-20}" "${PAGEREAD_ROWS:-60}"

echo "== one whole submission against the simulator, averaged over a queue"
QTWEBENGINE_DISABLE_SANDBOX=1 "$BUILD/bench/bench_submission" "${SUBMISSION_COUNT:-20}"

echo "== one security code per queue: the session kept vs a login per record"
QTWEBENGINE_DISABLE_SANDBOX=1 "$BUILD/bench/bench_session" "${SESSION_COUNT:-20}" "${SESSION_ROUNDS:-3}"

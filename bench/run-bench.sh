#!/usr/bin/env bash
# ./run bench: each benchmark prints its ratio against a baseline measured in the same run.
set -euo pipefail
BUILD=${1:-build}
export QT_QPA_PLATFORM=offscreen

echo "== photo preparation vs ImageMagick"
"$BUILD/bench/bench_photoprep" "${PHOTOPREP_COUNT:-8}"

echo "== pending list: fill of 10,000 records and one photograph's checks"
"$BUILD/bench/bench_queue"

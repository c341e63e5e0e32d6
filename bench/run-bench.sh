#!/usr/bin/env bash
BUILD=${1:-build}
export QT_QPA_PLATFORM=offscreen

# The pending list: fill of 10,000 records and one photograph's checks.
"$BUILD/bench/bench_queue"

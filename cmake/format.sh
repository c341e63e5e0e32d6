#!/usr/bin/env bash
# format.sh CLANG_FORMAT fix|check — every tracked C++ file, in the repository's .clang-format.
set -euo pipefail
exe=$1
mode=$2
cd "$(git rev-parse --show-toplevel)"
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.hpp')
if [ "$mode" = fix ]; then
    "$exe" -i --style=file "${files[@]}"
else
    "$exe" --dry-run --Werror --style=file "${files[@]}"
fi

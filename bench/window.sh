#!/usr/bin/env bash
# The editor window over the generated 1,000,000-row table, driven offscreen: time to the first
# painted page, and the response to Page Down, End, Home, a click on a cell and typing.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build --target gen-table tavrel-window-bench >/dev/null
mkdir -p bench/data
[[ -f bench/data/t1m.csv ]] || build/bench/gen-table 1000000 20 bench/data/t1m.csv
QT_QPA_PLATFORM=offscreen build/editor/tavrel-window-bench bench/data/t1m.csv 2>/dev/null

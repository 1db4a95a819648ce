#!/usr/bin/env bash
# The editor window over the generated 1,000,000-row table, driven offscreen: time to the first
# painted page; the response to Page Down, End, Home, a click on a cell and typing; Delete Row,
# Undo Delete Row, Insert Blank Row and Paste Row at row 0; a Find Again that finds nothing.
# Then the time to the first page of the odd-shaped tables of bench/shapes.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build --target gen-table tavrel-window-bench >/dev/null
mkdir -p bench/data
[[ -f bench/data/t1m.csv ]] || build/bench/gen-table 1000000 20 bench/data/t1m.csv
./bench/shapes.sh >/dev/null
export QT_QPA_PLATFORM=offscreen
build/editor/tavrel-window-bench bench/data/t1m.csv 2>/dev/null
for shape in wide400k commas30m cell50m empty10m; do
    echo "== $shape.csv ($(stat -c %s bench/data/$shape.csv) bytes)"
    build/editor/tavrel-window-bench "bench/data/$shape.csv" --open-only 2>/dev/null | tail -n +2
done

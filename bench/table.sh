#!/usr/bin/env bash
# Load and save benchmark of the editor's table code on generated game-like tables.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build --target gen-table tavrel-table >/dev/null
mkdir -p bench/data
gen=build/bench/gen-table
tool=build/editor/tavrel-table
[[ -f bench/data/t200k.csv ]] || "$gen" 200000 30 bench/data/t200k.csv
[[ -f bench/data/t1m.csv ]] || "$gen" 1000000 20 bench/data/t1m.csv
for table in t200k t1m; do
    echo "== $table.csv ($(stat -c %s bench/data/$table.csv) bytes)"
    "$tool" "bench/data/$table.csv" --save "bench/data/$table.out.csv" --repeat 3
    cmp -s "bench/data/$table.csv" "bench/data/$table.out.csv" && echo "saved bytes: identical"
    rm -f "bench/data/$table.out.csv"
done

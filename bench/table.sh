#!/usr/bin/env bash
# Load and save benchmark of the editor's table code on generated game-like tables, and the whole
# round trip of tavrel-table against Python's csv module doing the same durable save.
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
    echo -n "without the sync: "
    "$tool" "bench/data/$table.csv" --save "bench/data/$table.out.csv" --repeat 3 --no-sync |
        grep -o 'save: [0-9.]* s'
    rm -f "bench/data/$table.out.csv"
done

# The odd shapes: a very wide header, a header of nothing but commas, one huge cell, millions of
# empty lines. Each loads in time and memory in proportion to its size.
./bench/shapes.sh >/dev/null
for shape in wide400k commas30m cell50m empty10m; do
    echo "== $shape.csv ($(stat -c %s bench/data/$shape.csv) bytes)"
    "$tool" "bench/data/$shape.csv" --save "bench/data/$shape.out.csv" --no-sync | tail -n +2
    rm -f "bench/data/$shape.out.csv"
done

# Process start to exit, best of three each, one after the other.
best() {
    local times=()
    for _ in 1 2 3; do
        local start=$EPOCHREALTIME
        "$@" >/dev/null
        times+=("$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')")
    done
    printf '%s\n' "${times[@]}" | sort -g | head -1
}
echo "== round trip of t200k.csv, load and durable save (temporary file, sync, move, folder sync)"
ours=$(best "$tool" bench/data/t200k.csv --save bench/data/roundtrip.csv)
theirs=$(best python3 bench/csv_roundtrip.py bench/data/t200k.csv bench/data/roundtrip.csv)
cmp -s bench/data/t200k.csv bench/data/roundtrip.csv && echo "both write the same bytes"
rm -f bench/data/roundtrip.csv
awk -v a="$ours" -v b="$theirs" \
    'BEGIN { printf "tavrel-table: %.3f s  Python csv: %.3f s  ratio: %.3f\n", a, b, a / b }'

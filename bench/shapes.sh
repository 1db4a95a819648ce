#!/usr/bin/env bash
# Makes the odd-shaped tables the benchmarks open besides the game-like ones, in bench/data/:
# a header of 400,000 named fields, a 30 MB header of nothing but commas, one 50 MB cell, and
# ten million empty lines. Deterministic; nothing is committed.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p bench/data
d=bench/data
[[ -f $d/wide400k.csv ]] || {
    seq -f 'col%g' 0 399999 | paste -sd, | sed 's/$/,\r/'
    for r in 1 2 3; do seq -f "$r.%g" 0 399999 | paste -sd, | sed 's/$/,\r/'; done
} > $d/wide400k.csv
[[ -f $d/commas30m.csv ]] || { head -c 30000000 /dev/zero | tr '\0' ','; printf '\r\n1,2,\r\n'; } \
    > $d/commas30m.csv
[[ -f $d/cell50m.csv ]] || { printf 'A,B,\r\n'; head -c 50000000 /dev/zero | tr '\0' 'x'; \
    printf ',b,\r\n'; } > $d/cell50m.csv
[[ -f $d/empty10m.csv ]] || { printf 'A,B,\r\n'; yes $'\r' | head -n 10000000; } \
    > $d/empty10m.csv
for f in wide400k commas30m cell50m empty10m; do
    echo "$d/$f.csv: $(stat -c %s $d/$f.csv) bytes"
done

#!/usr/bin/env bash
# Pack benchmark: zpk against zip/unzip on a generated scenario folder of 66 game-like tables,
# about 150 MB (15 MB down to 16 KB; deterministic, under bench/data, nothing committed).
# Times, side by side in one run: `zpk pack` (libdeflate streams) and `zpk pack --zlib` (zlib's
# level 9), best of three each, against one `zip -9 -r -q`, and `zpk extract` against `unzip -q`
# of that zip (best of three each); prints the ratios and sizes, checks that both extractions
# give the folder back, and shows where zpk's pack time went (the checksum's and the listing's
# share).
#   bench/pack.sh
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build --target gen-table zpk >/dev/null
command -v zip >/dev/null && command -v unzip >/dev/null || {
    echo "zip and unzip are needed" >&2
    exit 1
}
gen=build/bench/gen-table
zpk=build/zpk/zpk
data=bench/data/pack
scen=$data/scen

if [[ ! -f $data/complete-2 ]]; then
    rm -rf "$data"
    mkdir -p "$scen/Data Files" "$scen/maps"
    size=15000000
    for i in $(seq 0 65); do
        fields=$((8 + (i * 7) % 23))
        rows=$((size / (fields * 5)))
        case $((i % 3)) in
            0) name="$scen/Data Files/table$i.csv" ;;
            1) name="$scen/units$i.csv" ;;
            *) name="$scen/maps/locs$i.csv" ;;
        esac
        "$gen" "$rows" "$fields" "$name" "$((i + 1))"
        size=$((size * 9 / 10))
    done
    touch "$data/complete-2"
fi
bytes=$(du -sb "$scen" | cut -f1)
echo "folder: $(find "$scen" -type f | wc -l) tables, $bytes bytes, $(nproc) cores"

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
best() { sort -n | head -1; }
size() { stat -c %s "$1"; }

rm -f "$data/scen.zpk" "$data/scen-zlib.zpk" "$data/scen.zip"
pack_times=()
for round in 1 2 3; do
    start=$(seconds)
    "$zpk" pack "$scen" "$data/scen.zpk" --timings >"$data/timings-$round.txt"
    pack_times+=("$(elapsed "$start" "$(seconds)")")
done
zpk_pack=$(printf '%s\n' "${pack_times[@]}" | best)
zlib_times=()
for round in 1 2 3; do
    start=$(seconds)
    "$zpk" pack "$scen" "$data/scen-zlib.zpk" --zlib
    zlib_times+=("$(elapsed "$start" "$(seconds)")")
done
zlib_pack=$(printf '%s\n' "${zlib_times[@]}" | best)
start=$(seconds)
(cd "$scen" && zip -9 -r -q ../scen.zip .)
zip_pack=$(elapsed "$start" "$(seconds)")
echo "pack:     zpk $zpk_pack s (best of 3, $(size "$data/scen.zpk") bytes)," \
    "zip -9 $zip_pack s ($(size "$data/scen.zip") bytes)," \
    "ratio $(ratio "$zpk_pack" "$zip_pack") (target <= 0.2)"
echo "pack:     zpk --zlib $zlib_pack s (best of 3, $(size "$data/scen-zlib.zpk") bytes)," \
    "ratio $(ratio "$zlib_pack" "$zip_pack") (target <= 0.5)"
echo "size:     pack / zip $(ratio "$(size "$data/scen.zpk")" "$(size "$data/scen.zip")")" \
    "(target <= 1)"

zpk_times=()
zip_times=()
for round in 1 2 3; do
    rm -rf "$data/out-zpk" "$data/out-zip"
    start=$(seconds)
    "$zpk" extract "$data/scen.zpk" "$data/out-zpk"
    zpk_times+=("$(elapsed "$start" "$(seconds)")")
    start=$(seconds)
    unzip -q "$data/scen.zip" -d "$data/out-zip"
    zip_times+=("$(elapsed "$start" "$(seconds)")")
done
zpk_extract=$(printf '%s\n' "${zpk_times[@]}" | best)
zip_extract=$(printf '%s\n' "${zip_times[@]}" | best)
echo "extract:  zpk $zpk_extract s, unzip $zip_extract s (best of 3)," \
    "ratio $(ratio "$zpk_extract" "$zip_extract") (target <= 0.3)"
diff -r -q "$scen" "$data/out-zpk" >/dev/null && diff -r -q "$scen" "$data/out-zip" >/dev/null &&
    echo "both extractions give the folder back byte for byte"
"$zpk" verify "$data/scen.zpk"
"$zpk" verify "$data/scen-zlib.zpk"
best_round=$(for r in 1 2 3; do echo "${pack_times[$((r - 1))]} $r"; done | sort -n | head -1 | cut -d' ' -f2)
echo "zpk pack --timings (the best round):"
sed 's/^/  /' "$data/timings-$best_round.txt"
rm -rf "$data/out-zpk" "$data/out-zip"

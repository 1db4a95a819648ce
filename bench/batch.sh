#!/usr/bin/env bash
# Batch benchmark: `zpk build` over a generated data tree like a real game's (52 scenarios of 0.2
# to 1.5 MB of tables each, most near the low end; ten common tables of about 3 MB together;
# deterministic, under bench/data, nothing committed) against the classic way, one pack at a
# time on one core: `zip -9 -r -q` of each scenario folder with the common tables copied in,
# one after another. Side by side in one run; the batch is timed on a fresh copy of the tree
# three times (best of three), the zip loop once. Then checks that every pack holds exactly the
# members that `zpk pack` writes for the same folder.
#   bench/batch.sh
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build --target gen-tree zpk >/dev/null
command -v zip >/dev/null || {
    echo "zip is needed" >&2
    exit 1
}
zpk=$PWD/build/zpk/zpk
data=bench/data/batch
pristine=$data/pristine
tree=$data/tree

if [[ ! -f $data/complete ]]; then
    rm -rf "$data"
    mkdir -p "$data"
    build/bench/gen-tree "$pristine" --bench
    touch "$data/complete"
fi
echo "tree: $(du -sb "$pristine/Scenarios" | cut -f1) bytes in 52 scenarios," \
    "$(du -sb "$pristine/Data Files" | cut -f1) bytes of common tables, $(nproc) cores"

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

times=()
for round in 1 2 3; do
    rm -rf "$tree"
    cp -a "$pristine" "$tree"
    sync
    start=$(seconds)
    "$zpk" build "$tree" >"$data/build.txt"
    times+=("$(elapsed "$start" "$(seconds)")")
done
batch=$(printf '%s\n' "${times[@]}" | sort -n | head -1)
built=$(grep -c -v -e $'\tError\t' -e '^catalog' "$data/build.txt" || true)

# The classic way: each cleaned scenario folder with the common tables copied in, zipped.
classic=$data/classic
rm -rf "$classic"
cp -a "$tree" "$classic"
for folder in "$classic/Scenarios"/*/; do
    cp "$classic/Data Files"/*.csv "$folder/Data Files/"
done
rm -f "$classic/Scenarios"/*.zpk
start=$(seconds)
for folder in "$classic/Scenarios"/*/; do
    (cd "$folder" && zip -9 -r -q "../$(basename "$folder").zip" .)
done
zip_time=$(elapsed "$start" "$(seconds)")
echo "batch:    zpk build $batch s (best of 3: ${times[*]}), $built of 52 packs," \
    "$(cat "$tree/Scenarios"/*.zpk | wc -c) bytes"
echo "classic:  zip -9 of each scenario, one after another, $zip_time s," \
    "$(cat "$classic/Scenarios"/*.zip | wc -c) bytes"
echo "ratio:    $(ratio "$batch" "$zip_time") (target <= 0.05)"

same=0
for folder in "$classic/Scenarios"/*/; do
    name=$(basename "$folder")
    "$zpk" pack "$folder" "$data/single.zpk"
    python3 bench/compare_members.py "$tree/Scenarios/$name.zpk" "$data/single.zpk" && same=$((same + 1))
done
echo "members:  $same of 52 packs hold exactly the members zpk pack writes for the same folder"
rm -rf "$classic" "$data/single.zpk"

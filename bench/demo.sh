#!/usr/bin/env bash
# Writes the demo data tree (not committed) into FOLDER, build/demo by default, replacing what
# was there: "Data Files/" with the ten common tables and "Scenarios/" with a folder for each of
# the game's 52 scenario packs (small tables, an .ini, a .txt, a picture in a sub-folder; a few
# with their own copy of a common table), in the game's invented setting. Then, for example:
#   build/zpk/zpk build build/demo
#   bench/demo.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-build/demo}"
./scripts/build --target gen-tree >/dev/null
rm -rf "$folder"
build/bench/gen-tree "$folder"
echo "demo data tree: $folder ($(find "$folder" -type f | wc -l) files," \
    "$(find "$folder/Scenarios" -mindepth 1 -maxdepth 1 -type d | wc -l) scenario folders)"

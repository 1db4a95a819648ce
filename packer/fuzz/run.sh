#!/usr/bin/env bash
# Builds the pack fuzzer with clang 14 (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in ./build-fuzz and runs it for a bounded time, SECONDS (default 600), starting from the
# committed seed corpus. New inputs go to build-fuzz/corpus, crashes to build-fuzz/crashes.
#   packer/fuzz/run.sh [SECONDS] [extra libFuzzer flags...]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-600}"
shift || true
./scripts/setup --fuzz
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if [[ ! -f build-fuzz/CMakeCache.txt ]]; then
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
        -DCMAKE_CXX_FLAGS="$sanitize -fsanitize=fuzzer-no-link" \
        -DCMAKE_EXE_LINKER_FLAGS="$sanitize" \
        -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_GUI=OFF -DBRISKO_FUZZ=ON >/dev/null
fi
cmake --build build-fuzz --target pack-fuzzer
mkdir -p build-fuzz/corpus build-fuzz/crashes
exec build-fuzz/packer/fuzz/pack-fuzzer build-fuzz/corpus packer/fuzz/corpus \
    -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=4096 -timeout=30 \
    -artifact_prefix=build-fuzz/crashes/ -print_final_stats=1 "$@"

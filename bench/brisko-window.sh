#!/usr/bin/env bash
# The pack creator's window offscreen over 52 scenario folders of 200 files and their packs of 200
# members: the window opening with its lists filled, and a folder or a pack selected until its
# contents are painted.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build --target brisko-window-bench >/dev/null
QT_QPA_PLATFORM=offscreen build/packer/brisko-window-bench 2>/dev/null

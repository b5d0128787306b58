#!/bin/bash
# The file-collection benchmark: builds bench/files_bench.exe with the product's
# toolchain and runs it under Wine in a private prefix and virtual display.
#   bench/run_files_bench.sh [repetitions]     (default 3; about a minute)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
cd "$GX_ROOT"
[ -f build/mingw/build.ninja ] || cmake --preset mingw >/dev/null
cmake --build build/mingw -j2 --target files_bench >/dev/null

gx_wine_prefix "$GX_ROOT/build/bench/wineprefix"
gx_display
trap 'rm -rf "$WINEPREFIX/drive_c/gxbench"; gx_display_stop; gx_wine_stop' EXIT
mkdir -p "$WINEPREFIX/drive_c/gxbench"
cp build/mingw/files_bench.exe "$WINEPREFIX/drive_c/gxbench/"
wine 'C:\gxbench\files_bench.exe' "${1:-3}" </dev/null 2>/dev/null

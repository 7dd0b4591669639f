#!/usr/bin/env bash
# The speed of sim51 and asm51 beside two independent 8051 tools, measured
# side by side by bench/peer_ratio.py (whole processes, alternating runs):
# sim51 against the s51 simulator of sdcc-ucsim on bench/simbench.a51, asm51
# against as31 on a generated 100,000-line program. Builds both tools first;
# the peers come from bench/install-peers.
#
#   bench/peer_ratio.sh [sim|asm|both] [peer_ratio.py options, e.g. --runs 7]
#
# BUILD_DIR picks the build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."

kind=both
if [ $# -gt 0 ]; then
    kind=$1
    shift
fi
case "$kind" in
sim | asm) kinds=("$kind") ;;
both) kinds=(sim asm) ;;
*)
    echo "usage: bench/peer_ratio.sh [sim|asm|both] [peer_ratio.py options]" >&2
    exit 2
    ;;
esac

build=${BUILD_DIR:-build}
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target sim51 asm51 >/dev/null

for k in "${kinds[@]}"; do
    python3 bench/peer_ratio.py "$k" "$build/tools/${k}51/${k}51" "$@"
done

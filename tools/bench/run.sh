#!/bin/sh
# make bench: the headless frame benchmark, then the processor use of the real
# game under a private X server; the last line joins both figure sets.
#   tools/bench/run.sh BUILD_DIR DATA_DIR
set -e
build=$1
data=$2
frames=$(mktemp)
cpu=$(mktemp)
trap 'rm -f "$frames" "$cpu"' EXIT
"$build/tools/bench/tessaril_bench" "$data" >"$frames"
grep -v '^BENCH ' "$frames"
echo "Processor use of the game under Xvfb 1920x1080x24 (utime + stime from /proc)"
python3 "$(dirname "$0")/cpu.py" "$build/tessaril" "$data" >"$cpu"
sed '$d' "$cpu"
echo "$(grep '^BENCH ' "$frames") $(tail -n 1 "$cpu")"

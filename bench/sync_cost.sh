#!/usr/bin/env bash
# What the durable replace costs: trelvio-cli (the Release build) converting
# 1,000 small songs in one call, as built and with fsync turned into a no-op
# by a preloaded stub, fastest of five runs each, in a scratch folder on the
# file system of the current directory (where targets normally live).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$root/build/cli/trelvio-cli
[ -x "$cli" ] || { echo "sync_cost: build the Release build first" >&2; exit 1; }
scratch=$(mktemp -d "$PWD/sync-cost.XXXX")
trap 'rm -rf "$scratch"' EXIT
printf 'int fsync(int fd) { (void)fd; return 0; }\n' >"$scratch/nosync.c"
gcc -shared -fPIC -o "$scratch/nosync.so" "$scratch/nosync.c"
mkdir "$scratch/songs"
for i in $(seq -w 1000); do cp "$root/examples/demo.mid" "$scratch/songs/s$i.mid"; done
fastest() {  # preload: the fastest of five runs, in seconds
  local best=$((10 ** 15)) start t
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    (cd "$scratch/songs" && LD_PRELOAD=$1 "$cli" -q ./*.mid)
    t=$(($(date +%s%N) - start))
    [ "$t" -lt "$best" ] && best=$t
  done
  awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e9 }'
}
synced=$(fastest "")
unsynced=$(fastest "$scratch/nosync.so")
echo "1,000 songs of $(stat -c %s "$root/examples/demo.mid") bytes in one call, on $(stat -f -c %T "$scratch")"
echo "  with fsync     ${synced} s"
echo "  fsync as no-op ${unsynced} s"
awk -v a="$synced" -v b="$unsynced" 'BEGIN { printf "  per song       +%.2f ms\n", (a - b) }'

#!/usr/bin/env bash
# Plays the whole corpus of broken media (some 2,500 variants of nine
# containers) through the real player of the AddressSanitizer build, in
# SHARDS parts at once, each on a virtual display of its own, and prints the
# table: container, variants, played, "Cannot play.", crashed, hung. Variants
# that crashed or hung stay in build-asan/test-media/corrupt/ (the log names
# them). MOVA_CORPUS_ONLY=TEXT plays only the variants whose "container/name"
# holds TEXT. Run by hand; about an hour on two cores.
#   bash scripts/corrupt-corpus.sh [SHARDS]
set -euo pipefail
cd "$(dirname "$0")/.."
shards=${1:-2}
bash scripts/deps.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOVA_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target mova corrupt_media_test
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
logs=build-asan/corrupt-logs
mkdir -p "$logs"
pids=()
for ((i = 0; i < shards; i++)); do
  # Each shard looks for a free display from a number of its own, so that
  # two never take the same one.
  MOVA_CORPUS=full MOVA_CORPUS_SHARD="$i/$shards" xvfb-run -a -n $((100 + 10 * i)) -s "-screen 0 1280x1024x24" \
    build-asan/tests/corrupt/corrupt_media_test >"$logs/shard-$i.log" 2>&1 &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
# The shards' tables, summed per container.
awk '/^container +variants/ {table = 1; next}
     table && NF == 6 && $2 ~ /^[0-9]+$/ {v[$1] += $2; p[$1] += $3; c[$1] += $4; x[$1] += $5; h[$1] += $6}
     /^\[/ {table = 0}
     END {printf "%-20s %8s  %6s  %12s  %7s  %4s\n", "container", "variants", "played", "Cannot play.", "crashed", "hung"
          for (k in v) {printf "%-20s %8d  %6d  %12d  %7d  %4d\n", k, v[k], p[k], c[k], x[k], h[k]
                        tv += v[k]; tp += p[k]; tc += c[k]; tx += x[k]; th += h[k]}
          printf "%-20s %8d  %6d  %12d  %7d  %4d\n", "all", tv, tp, tc, tx, th}' "$logs"/shard-*.log
grep -h -E ': (crashed|hung) \(' "$logs"/shard-*.log || true
exit $status

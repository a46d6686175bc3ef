#!/usr/bin/env bash
# Runs every libFuzzer harness of tests/fuzz in turn, one process at a time
# and at the lowest priority, and prints what each run did. By hand only,
# never in CI:
#
#   scripts/fuzz-campaign.sh [runs] [harness...]
#
# runs      executions per harness (default 10000000)
# harness   fuzz_* names to run (default: all); the table lists every harness
#           that has a log, so a single harness can be run again on its own.
#
# The build is build-fuzz/ (configured with clang when it is not there yet;
# MOVA_FUZZ_BUILD names another). Each harness works on the corpus
# build-fuzz/corpus/<harness>, seeded from tests/fuzz/seeds/<harness>, writes
# its output to build-fuzz/logs/<harness>.log and what it found (crash-,
# leak-, timeout-, oom- files) to build-fuzz/findings/<harness>/.
set -u -o pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${MOVA_FUZZ_BUILD:-$root/build-fuzz}
runs=${1:-10000000}
if [[ $# -gt 0 ]]; then shift; fi
if ! [[ $runs =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [runs] [harness...]" >&2
  exit 2
fi

all=()
for src in "$root"/tests/fuzz/fuzz_*.cpp; do all+=("$(basename "$src" .cpp)"); done
chosen=("$@")
if [[ ${#chosen[@]} -eq 0 ]]; then chosen=("${all[@]}"); fi

# The longest input each harness is given: enough for what it reads, no more,
# so that every execution stays short.
max_len() {
  case $1 in
    fuzz_probes) echo 10000 ;;        # past the first 8 KiB block of the MPEG scan
    fuzz_title_format) echo 10000 ;;  # the same headers, read by the player
    fuzz_conf_file) echo 8192 ;;      # a key map is a few kilobytes
    fuzz_key_text) echo 256 ;;        # one key text and one command name
    fuzz_bitmap) echo 4096 ;;         # the picture's parameters and a few rows of pixels
    *) echo 4096 ;;
  esac
}

if [[ ! -f $build/CMakeCache.txt ]]; then
  CXX=${CXX:-clang++} nice -n 19 cmake -S "$root" -B "$build" -G Ninja -DMOVA_FUZZ=ON -DMOVA_CORE_ONLY=ON || exit 1
fi
nice -n 19 cmake --build "$build" --target "${all[@]}" || exit 1

# AddressSanitizer keeps freed memory out of use for a while (256 MiB by
# default) to catch late use; every fresh block then faults in new pages, which
# cost the harnesses that open files (the file reader's 64 KiB buffer) three
# quarters of their speed. Use right after a free is still caught.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=4}

mkdir -p "$build/logs"
for name in "${chosen[@]}"; do
  binary=$build/tests/fuzz/$name
  if [[ ! -x $binary ]]; then
    echo "no harness $name" >&2
    exit 2
  fi
  corpus=$build/corpus/$name
  findings=$build/findings/$name
  mkdir -p "$corpus" "$findings"
  if [[ -d $root/tests/fuzz/seeds/$name ]]; then cp -n "$root/tests/fuzz/seeds/$name"/* "$corpus"/ 2>/dev/null; fi
  echo "$name: $runs runs" >&2
  start=$(date +%s)
  nice -n 19 "$binary" -runs="$runs" -max_len="$(max_len "$name")" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$build/logs/$name.log" 2>&1
  status=$?
  echo "$(($(date +%s) - start)) $status" >"$build/logs/$name.time"
done

# One row per harness that has a log: executions, coverage and features at
# the end, corpus files, findings, and the time the run took.
printf '%-18s %12s %6s %7s %7s %8s %8s\n' harness executions cov ft corpus findings time
for name in "${all[@]}"; do
  log=$build/logs/$name.log
  [[ -f $log ]] || continue
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [[ -z $execs ]]; then  # stopped early: the last progress line
    execs=$(grep -o '^#[0-9]*' "$log" | tail -n 1 | tr -d '#')
  fi
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  files=$(find "$build/corpus/$name" -type f 2>/dev/null | wc -l)
  found=$(find "$build/findings/$name" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) 2>/dev/null | wc -l)
  read -r seconds status <"$build/logs/$name.time" 2>/dev/null || seconds=
  if [[ -n $seconds ]]; then
    took=$(printf '%dm%02ds' $((seconds / 60)) $((seconds % 60)))
    [[ ${status:-0} -eq 0 ]] || took="$took!"
  else
    took=-
  fi
  printf '%-18s %12s %6s %7s %7s %8s %8s\n' "$name" "${execs:--}" "${cov:--}" "${ft:--}" "$files" "$found" "$took"
done

#!/usr/bin/env bash
# Builds Mova with ThreadSanitizer (build-tsan) and runs the tests that have
# threads besides the window thread: the GStreamer and Qt backends' tests and
# the end-to-end tests of the real player. Every report is written to
# build-tsan/tsan-reports/; the script prints how many there are and fails
# when there is any. Run by hand (the README's test command does not).
#   bash scripts/tsan.sh [CTEST_REGEX]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOVA_TSAN=ON >/dev/null
cmake --build build-tsan -j"$(nproc)"
reports=$PWD/build-tsan/tsan-reports
rm -rf "$reports" && mkdir -p "$reports"
# The libraries are not instrumented: what they do inside themselves is not
# tracked (ignore_noninstrumented_modules), and tests/tsan.supp says why each
# remaining suppression is there.
export TSAN_OPTIONS="log_path=$reports/report ignore_noninstrumented_modules=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
status=0
xvfb-run -a -s "-screen 0 1920x1080x24" \
  ctest --test-dir build-tsan -R "${1:-Gst|Qt|Element|Sound|EndToEnd|Frame|Player|Capture|Session}" -j"$(nproc)" \
  --timeout 600 || status=1
count=$(cat "$reports"/report.* 2>/dev/null | grep -c '^WARNING: ThreadSanitizer' || true)
echo "ThreadSanitizer reports: $count (in $reports)"
grep -h '^SUMMARY' "$reports"/report.* 2>/dev/null | sort | uniq -c | sort -rn || true
[ "$count" -eq 0 ] && [ $status -eq 0 ]

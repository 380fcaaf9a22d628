#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for the given number of
# seconds each (default 20), starting from its seed corpus in
# tests/fuzz/corpus/<target>. New inputs collect in build/fuzz/corpus/<target>;
# a finding is saved in build/fuzz/findings/ and makes the script fail after
# the remaining targets have run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
targets=(command_line file_dialog options accelerators kestrum script)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

failed=()
for target in "${targets[@]}"; do
  mkdir -p "build/fuzz/corpus/$target" build/fuzz/findings
  echo "=== fuzz $target: ${seconds}s"
  if ! "build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=1024 -timeout=20 \
       -print_final_stats=1 -artifact_prefix="build/fuzz/findings/$target-" \
       "build/fuzz/corpus/$target" "tests/fuzz/corpus/$target" 2>"build/fuzz/$target.log"; then
    tail -n 40 "build/fuzz/$target.log"
    failed+=("$target")
  fi
  grep -E '^(stat::number_of_executed_units|#[0-9]+[[:space:]]+DONE)' "build/fuzz/$target.log" || true
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "=== fuzz findings in: ${failed[*]} (inputs in build/fuzz/findings/)"
  exit 1
fi
echo "=== fuzz: no findings in ${targets[*]}"

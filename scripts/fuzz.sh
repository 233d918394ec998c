#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ (preset "fuzz": clang, AddressSanitizer,
# UBSan) and runs each for the given number of seconds, starting from the seeds in
# fuzz/corpus/NAME/. What a run adds to the corpus stays under build/fuzz/corpus/;
# a crash leaves its input under build/fuzz/findings/ and fails the script.
# Usage: scripts/fuzz.sh [SECONDS] [NAME...]   (default: 60 seconds, every harness)
set -euo pipefail
seconds="${1:-60}"
shift || true
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for h in fuzz/*Fuzz.cpp; do
    [ -e "$h" ] || continue
    b=$(basename "$h" .cpp); names+=("${b%Fuzz}")
  done
fi

failed=0
for name in "${names[@]}"; do
  work="build/fuzz/corpus/$name"; findings="build/fuzz/findings/$name"
  mkdir -p "$work" "$findings"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  echo "== $name: ${seconds}s"
  if ! "build/fuzz/fuzz/fuzz_$name" "$work" "${seeds[@]}" -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
      > "build/fuzz/$name.log" 2>&1; then
    echo "   FAILED: see build/fuzz/$name.log and $findings/"
    tail -n 30 "build/fuzz/$name.log"
    failed=1
  else
    grep -E "stat::number_of_executed_units|cov:" "build/fuzz/$name.log" | tail -n 2 | sed 's/^/   /'
  fi
done
exit $failed

#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench/), generates a 60 MB form in /tmp once, and runs the conversion benchmark.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"
# The name carries the generator's version, so that a changed generator does not reuse an old form.
form="${DFM_BENCH_FORM:-/tmp/quen-dfm-bench-60mb-v3.dfm}"
jobs="${DFM_BENCH_JOBS:-2}"

generator=()
if [[ ! -f "$build/CMakeCache.txt" ]] && command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DDFM_BENCH=ON -DDFM_FUZZ=OFF -DDFM_SANITIZE=OFF >/dev/null
cmake --build "$build" --target bench_generate bench_convert -j "$jobs"

if [[ ! -s "$form" ]]; then
  # Written beside the final name first, so that an interrupted run leaves no truncated form behind.
  "$build/bench/bench_generate" "$form.part" 60
  mv "$form.part" "$form"
fi
echo
"$build/bench/bench_convert" "$form"

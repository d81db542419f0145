#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench/), makes three 60 MB forms in /tmp once, and runs
# the conversion benchmark on each: one generated with the share of binary data of the real forms
# in the shared corpus (about two thirds), one made of those real forms joined under one root
# (bench_join), and one generated with a third of binary data, for comparison; then the
# editor window benchmark (opening, saving and typing in a page of about 2,000,000 characters), the
# form view (drawing the corpus's largest form, its redraw after a key), the object view on a form
# of 5,000 objects, the grep benchmark (bench/grep.sh) and dfmconv over a UTF-8 form and a tree of
# 2,000 forms (bench/dfmconv.sh).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"
jobs="${DFM_BENCH_JOBS:-2}"

generator=()
if [[ ! -f "$build/CMakeCache.txt" ]] && command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DDFM_BENCH=ON -DDFM_FUZZ=OFF -DDFM_SANITIZE=OFF >/dev/null
cmake --build "$build" --target bench_generate bench_join bench_convert bench_editor bench_formview bench_objectview -j "$jobs"

corpus="$root/../shared/corpus/binary"
for mix in 66 joined 36; do
  # The name carries the generator's version and mix, so that a changed generator makes a new form.
  if [[ "$mix" == joined ]]; then
    form="/tmp/quen-dfm-bench-60mb-v1-joined.dfm"
    title="the real forms of $corpus joined"
  else
    form="/tmp/quen-dfm-bench-60mb-v4-binary$mix.dfm"
    title="generated form with $mix% binary data"
  fi
  if [[ ! -s "$form" ]]; then
    # Written beside the final name first, so that an interrupted run leaves no truncated form behind.
    if [[ "$mix" == joined ]]; then
      "$build/bench/bench_join" "$form.part" 60 "$corpus"
    else
      "$build/bench/bench_generate" "$form.part" 60 "$mix"
    fi
    mv "$form.part" "$form"
  fi
  echo
  echo "=== $title: $form"
  "$build/bench/bench_convert" "$form"
done

echo
echo "=== editor window on a form of about 2,000,000 characters of text"
"$build/bench/bench_editor"

echo
echo "=== form view on forms of the shared corpus"
"$build/bench/bench_formview" "$root/../shared/corpus"

echo
echo "=== object view on a form of 5,000 objects"
"$build/bench/bench_objectview"

bash "$root/bench/grep.sh"
bash "$root/bench/dfmconv.sh"

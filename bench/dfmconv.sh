#!/usr/bin/env bash
# Times dfmconv as a user runs it: tobinary of UTF-8 text (with and without a byte order mark)
# and totext --utf8 against the plain conversions of the same 60 MB form (to standard output),
# then -j 2 against -j 1 over a tree of 2,000 generated forms (totext into another folder in
# /tmp, each file synced as always, and check). Best of 9 wall clock times from a warm cache.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"
jobs="${DFM_BENCH_JOBS:-2}"
runs=9
form=/tmp/quen-dfm-bench-60mb-v4-binary66.dfm
tree=/tmp/quen-dfm-conv-tree-v2
work=$(mktemp -d /tmp/quen-dfm-conv-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

generator=()
if [[ ! -f "$build/CMakeCache.txt" ]] && command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DDFM_BENCH=ON -DDFM_FUZZ=OFF -DDFM_SANITIZE=OFF >/dev/null
cmake --build "$build" --target bench_generate dfmconv -j "$jobs"
dfmconv="$build/tools/dfmconv/dfmconv"

if [[ ! -s "$form" ]]; then
  # Written beside the final name first, so that an interrupted run leaves no truncated form behind.
  "$build/bench/bench_generate" "$form.part" 60 66
  mv "$form.part" "$form"
fi

# Best wall time in seconds of a command over $runs runs; before each run, the shell code in
# $prepare (if any) clears what the last run left.
prepare=
best() {
  local best_ns= start stop
  for ((i = 0; i < runs; i++)); do
    [[ -z "$prepare" ]] || eval "$prepare"
    start=$(date +%s%N)
    "$@" >/dev/null
    stop=$(date +%s%N)
    if [[ -z "$best_ns" ]] || ((stop - start < best_ns)); then best_ns=$((stop - start)); fi
  done
  awk -v ns="$best_ns" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

mbs() { awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.1f", bytes / 1e6 / s }'; }
share() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f%%", 100 * a / b }'; }

"$dfmconv" totext "$form" "$work/plain.txt"
"$dfmconv" totext --utf8 "$form" "$work/utf8.txt"
tail -c +4 "$work/utf8.txt" >"$work/unmarked.txt"
# Strings beyond ASCII come back wide, whatever they were: the two UTF-8 texts must agree.
"$dfmconv" tobinary "$work/utf8.txt" "$work/marked.dfm"
"$dfmconv" tobinary "$work/unmarked.txt" "$work/unmarked.dfm"
cmp -s "$work/marked.dfm" "$work/unmarked.dfm" || echo "dfmconv.sh: UTF-8 text with and without a mark read differently" >&2
cat "$form" "$work"/*.txt >/dev/null

formBytes=$(stat -c %s "$form")
plainBytes=$(stat -c %s "$work/plain.txt")
utf8Bytes=$(stat -c %s "$work/utf8.txt")
unmarkedBytes=$(stat -c %s "$work/unmarked.txt")
echo
echo "=== dfmconv on $form ($formBytes bytes), best of $runs"
printf '%-34s %9s %8s %8s %s\n' "" "input MB" "wall s" "MB/s" "of plain"
# To standard output (/dev/null): the conversions alone, without the disk's sync of a file.
totextPlain=$(best "$dfmconv" totext "$form")
totextUtf8=$(best "$dfmconv" totext --utf8 "$form")
tobinaryPlain=$(best "$dfmconv" tobinary "$work/plain.txt")
tobinaryUtf8=$(best "$dfmconv" tobinary "$work/utf8.txt")
tobinaryUnmarked=$(best "$dfmconv" tobinary "$work/unmarked.txt")
row() { printf '%-34s %9.1f %8s %8s %s\n' "$1" "$(awk -v b="$2" 'BEGIN { print b / 1e6 }')" "$3" "$(mbs "$2" "$3")" "$4"; }
row "totext" "$formBytes" "$totextPlain" ""
row "totext --utf8" "$formBytes" "$totextUtf8" "$(share "$totextPlain" "$totextUtf8")"
row "tobinary, code page text" "$plainBytes" "$tobinaryPlain" ""
row "tobinary, UTF-8 after a mark" "$utf8Bytes" "$tobinaryUtf8" \
  "$(share "$(mbs "$utf8Bytes" "$tobinaryUtf8")" "$(mbs "$plainBytes" "$tobinaryPlain")")"
row "tobinary, UTF-8 without a mark" "$unmarkedBytes" "$tobinaryUnmarked" \
  "$(share "$(mbs "$unmarkedBytes" "$tobinaryUnmarked")" "$(mbs "$plainBytes" "$tobinaryPlain")")"
echo "(of plain: throughput as a share of the plain conversion's, in MB of input per second; target 80%)"

# 2,000 forms in 40 folders: 50 generated forms of 1 to 61 KiB of stream (21 KiB on average,
# about the mean size of the real binary forms in the shared corpus), each in every folder.
if [[ ! -f "$tree/complete" ]]; then
  rm -rf "$tree"
  mkdir -p "$tree/forms"
  for ((n = 0; n < 50; n++)); do
    "$build/bench/bench_generate" "$tree/forms/f$n.dfm" "$((1 + n * n / 40))k" 66 >/dev/null
  done
  for ((d = 0; d < 40; d++)); do
    mkdir -p "$tree/d$d"
    for ((n = 0; n < 50; n++)); do cp "$tree/forms/f$n.dfm" "$tree/d$d/Form$n.dfm"; done
  done
  rm -rf "$tree/forms"
  touch "$tree/complete"
fi
files=$(find "$tree" -name '*.dfm' | wc -l)
treeBytes=$(find "$tree" -name '*.dfm' -printf '%s\n' | awk '{ s += $1 } END { print s }')
cat "$tree"/*/*.dfm >/dev/null
echo
echo "=== dfmconv over $files forms ($treeBytes bytes) in $tree, best of $runs, $(nproc) processors"
printf '%-34s %8s %8s %8s\n' "" "-j 1 s" "-j 2 s" "-j 2/-j 1"
prepare="rm -rf '$work/tree'"
totext1=$(best "$dfmconv" -j 1 -r totext "$tree" -o "$work/tree")
totext2=$(best "$dfmconv" -j 2 -r totext "$tree" -o "$work/tree")
prepare=
check1=$(best "$dfmconv" -j 1 -r check "$tree")
check2=$(best "$dfmconv" -j 2 -r check "$tree")
printf '%-34s %8s %8s %8s\n' "-r totext TREE -o DIR" "$totext1" "$totext2" "$(share "$totext2" "$totext1")"
printf '%-34s %8s %8s %8s\n' "-r check TREE" "$check1" "$check2" "$(share "$check2" "$check1")"
echo "(target: -j 2 takes at most 60% of the -j 1 time)"

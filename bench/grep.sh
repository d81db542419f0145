#!/usr/bin/env bash
# Times dfmgrep beside GNU grep and ripgrep over a generated tree of about 5,500 files and 524 MB
# (forms, units, notes and binary files, the key in 3 of them and in a 4th with other letter
# case), case-sensitive and case-insensitive, each tool on one core, best of 5 from a warm cache.
# All three must list the same files. Then dfmgrep --all-encodings and --strings beside dfmgrep's
# plain search.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"
jobs="${DFM_BENCH_JOBS:-2}"
tree=/tmp/quen-dfm-grep-tree-v1
key=QzxKeyW7plm9
runs=5
# Bytes are bytes for all three tools: no locale-dependent decoding or case rules.
export LC_ALL=C

missing=()
command -v rg >/dev/null || missing+=(ripgrep)
command -v grep >/dev/null || missing+=(grep)
[[ -x /usr/bin/time ]] || missing+=(time)
command -v taskset >/dev/null || missing+=(util-linux)
if ((${#missing[@]})); then
  sudo=()
  [[ "$(id -u)" -eq 0 ]] || sudo=(sudo)
  "${sudo[@]}" apt-get install -y "${missing[@]}" \
    || { "${sudo[@]}" apt-get update && "${sudo[@]}" apt-get install -y "${missing[@]}"; }
fi

generator=()
if [[ ! -f "$build/CMakeCache.txt" ]] && command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DDFM_BENCH=ON -DDFM_FUZZ=OFF -DDFM_SANITIZE=OFF >/dev/null
cmake --build "$build" --target dfmgrep bench_grep_tree -j "$jobs"
dfmgrep="$build/tools/dfmgrep/dfmgrep"

if ! grep -q complete "$tree.generated" 2>/dev/null; then
  available=$(df --output=avail -B1 /tmp | tail -1)
  if ((available < 600000000)); then
    echo "grep.sh: the tree needs about 550 MB in /tmp; $((available / 1000000)) MB are free" >&2
    exit 1
  fi
fi
"$build/bench/bench_grep_tree" "$tree"
bytes=$(find "$tree" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
files=$(find "$tree" -type f | wc -l)
# Every run below reads from the page cache.
find "$tree" -type f -exec cat {} + >/dev/null

# The command line of a tool for a mode (nothing, or -i), in cmd.
command_of() {
  local tool="$1"
  shift
  case "$tool" in
    dfmgrep) cmd=("$dfmgrep" -r "$@" -- "$key" "$tree" '*') ;;
    grep) cmd=(grep -rlF "$@" -- "$key" "$tree") ;;
    # No ignore files, hidden entries and binary files searched: the same files as the others.
    rg) cmd=(rg --no-config -j1 --binary -uuu -l -F "$@" -- "$key" "$tree") ;;
  esac
}

listing() {
  local cmd
  command_of "$@"
  "${cmd[@]}" 2>/dev/null | sort || true
}

# The same list from all three, and the planted files, or the timings compare different work.
check_lists() {
  local want="$1" expected
  shift
  expected=$(listing dfmgrep "$@")
  if [[ "$(grep -c . <<<"$expected")" -ne "$want" ]]; then
    echo "grep.sh: dfmgrep $* lists other than the $want files holding the key:" >&2
    echo "$expected" >&2
    exit 1
  fi
  for tool in grep rg; do
    if [[ "$(listing "$tool" "$@")" != "$expected" ]]; then
      echo "grep.sh: $tool $* lists other files than dfmgrep:" >&2
      diff <(echo "$expected") <(listing "$tool" "$@") >&2 || true
      exit 1
    fi
  done
  echo "$expected" | wc -l
}

# Best wall-clock seconds of each tool; the tools take turns so that a busy moment hits all.
declare -A best
measure() {
  local cmd seconds
  for ((run = 0; run < runs; run++)); do
    for tool in dfmgrep grep rg; do
      command_of "$tool" "$@"
      seconds=$({ TIMEFORMAT=%3R; time taskset -c 0 "${cmd[@]}" >/dev/null 2>&1 || true; } 2>&1)
      if [[ -z "${best[$tool]:-}" ]] || awk -v a="$seconds" -v b="${best[$tool]}" 'BEGIN { exit !(a < b) }'; then
        best[$tool]=$seconds
      fi
    done
  done
}

table() {
  local title="$1" found="$2"
  echo
  echo "=== $title: $found file(s) found in $files files, $bytes bytes"
  printf '%-8s %9s %8s %16s\n' tool seconds GB/s dfmgrep/grep
  for tool in dfmgrep grep rg; do
    awk -v t="$tool" -v s="${best[$tool]}" -v b="$bytes" -v d="${best[dfmgrep]}" -v g="${best[grep]}" \
      'BEGIN { printf "%-8s %9.3f %8.2f %16s\n", t, s, b / s / 1e9, t == "dfmgrep" ? sprintf("%.2f", d / g) : "" }'
  done
  awk -v d="${best[dfmgrep]}" -v g="${best[grep]}" \
    'BEGIN { print (d <= g ? "target met: dfmgrep at most as slow as grep" : "target missed: dfmgrep slower than grep") }'
}

found=$(check_lists 3)
best=()
measure
table "case-sensitive: dfmgrep -r KEY DIR '*', grep -rlF, rg -j1 --binary -uuu -l -F" "$found"

found=$(check_lists 4 -i)
best=()
measure -i
table "case-insensitive: the same with -i" "$found"

# dfmgrep with OPTION against its plain search, the whole commands taking turns likewise.
# Usage: against OPTION TARGET [-i]
against() {
  local option=$1 target=$2 plain other seconds
  shift 2
  plain=""
  other=""
  for ((run = 0; run < runs; run++)); do
    seconds=$({ TIMEFORMAT=%3R; time taskset -c 0 "$dfmgrep" -r "$@" -- "$key" "$tree" '*' >/dev/null 2>&1 || true; } 2>&1)
    if [[ -z "$plain" ]] || awk -v a="$seconds" -v b="$plain" 'BEGIN { exit !(a < b) }'; then plain=$seconds; fi
    seconds=$({ TIMEFORMAT=%3R; time taskset -c 0 "$dfmgrep" -r "$option" "$@" -- "$key" "$tree" '*' >/dev/null 2>&1 || true; } 2>&1)
    if [[ -z "$other" ]] || awk -v a="$seconds" -v b="$other" 'BEGIN { exit !(a < b) }'; then other=$seconds; fi
  done
  awk -v p="$plain" -v a="$other" -v m="$*" -v o="$option" -v t="$target" 'BEGIN {
    printf "dfmgrep %-2s plain %.3f s, %s %.3f s: %.2f times (target at most %s)\n", m, p, o, a, a / p, t
  }'
}

# Every encoding finds what the plain search finds.
encodings() {
  local list
  list=$("$dfmgrep" -r --all-encodings "$@" -- "$key" "$tree" '*' 2>/dev/null | sort || true)
  if [[ "$list" != "$(listing dfmgrep "$@")" ]]; then
    echo "grep.sh: dfmgrep --all-encodings $* lists other files than the plain search" >&2
    exit 1
  fi
  against --all-encodings 3 "$@"
}

echo
echo "=== dfmgrep -r [-i] --all-encodings KEY DIR '*' against the same without it"
encodings
encodings -i
# A Cyrillic key is searched in every page that holds it (1251 and the four double-byte pages),
# as UTF-16LE and as UTF-8: seven patterns against the page's one.
key=$'\xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87W7plm9' against --all-encodings 3 --codepage 1251
key=$'\xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87W7plm9' against --all-encodings 3 --codepage 1251 -i

echo
echo "=== dfmgrep -r [-i] --strings KEY DIR '*' against the byte search"
against --strings 3
against --strings 3 -i

echo
memory=$(mktemp)
for tool in dfmgrep grep rg; do
  command_of "$tool"
  /usr/bin/time -f %M -o "$memory" taskset -c 0 "${cmd[@]}" >/dev/null 2>&1 || true
  echo "peak memory (maximum resident set) of $tool over the tree: $(cat "$memory") KB"
done
rm -f "$memory"

#!/usr/bin/env bash
# Builds the fuzz targets in build-fuzz/ and runs each for SECONDS (default 60), one at a time.
# Exits non-zero when any target reports a crash, hang, leak or sanitizer error.
set -u -o pipefail

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "usage: $0 [SECONDS]" >&2
    exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-fuzz
corpus=$root/../shared/corpus
targets=(fuzz_resource_to_text fuzz_text_to_resource fuzz_tokenizer fuzz_unit_check fuzz_model fuzz_picture fuzz_draw)
jobs=${DFM_FUZZ_JOBS:-2}

# Configure once; building every time is cheap and picks up library edits.
if [ ! -f "$build/CMakeCache.txt" ]; then
    generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    cmake -S "$root" -B "$build" "${generator[@]}" \
        -DCMAKE_CXX_COMPILER=clang++ -DDFM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo || exit 1
fi
cmake --build "$build" -j "$jobs" --target "${targets[@]}" || exit 1

# Seeds: binary form files for the binary side, text with CR LF line ends for the text side.
seeds=$build/seeds
rm -rf "$seeds"
for target in "${targets[@]}"; do mkdir -p "$seeds/$target"; done

# The model's seeds start with the byte that picks the reading: 1 binary, 0 text in a code page.
add_binary_seed() {
    cp "$1" "$seeds/fuzz_resource_to_text/$(basename "$1")"
    { printf '\001'; cat "$1"; } > "$seeds/fuzz_model/$(basename "$1")"
}
add_text_seed() {
    local name
    name=$(basename "$1")
    # Strip any CR first so that files already in CR LF do not get a second one.
    sed -e 's/\r$//' -e 's/$/\r/' "$1" > "$seeds/fuzz_text_to_resource/$name"
    cp "$seeds/fuzz_text_to_resource/$name" "$seeds/fuzz_tokenizer/$name"
    { printf '\000'; cat "$seeds/fuzz_text_to_resource/$name"; } > "$seeds/fuzz_model/text-$name"
}

shopt -s nullglob
for file in "$root"/examples/*.dfm "$root"/examples/*.DFM; do
    # A binary form file starts with the resource header's 0xFF type marker.
    if [ "$(head -c 1 "$file" | od -An -tx1 | tr -d ' \n')" = ff ]; then
        add_binary_seed "$file"
    else
        add_text_seed "$file"
    fi
done
for file in "$corpus"/binary/*; do add_binary_seed "$file"; done
for file in "$corpus"/text/*; do add_text_seed "$file"; done
# The unit check's seeds: real units and the sample's.
for file in "$root"/examples/*.PAS "$corpus"/unit/* "$corpus"/pairs/*.pas "$corpus"/pairs/*.PAS; do
    cp "$file" "$seeds/fuzz_unit_check/$(basename "$file")"
done
shopt -u nullglob

# The picture target's seeds: the small pictures of fuzz/pictures in the layouts forms store them
# in, behind the byte that picks the property (0 Picture.Data, 1 Glyph.Data, 2 Icon.Data).
littleEndian32() {
    local hex
    hex=$(printf '%08x' "$1")
    printf '%b' "\\x${hex:6:2}\\x${hex:4:2}\\x${hex:2:2}\\x${hex:0:2}"
}
add_picture_seed() {
    local file=$1 name graphic size
    name=$(basename "$file")
    size=$(wc -c < "$file")
    case $name in
        *.bmp) graphic=TBitmap ;;
        *.jpg) graphic=TJPEGImage ;;
        *.png) graphic=TPngImage ;;
        *.gif) graphic=TGIFImage ;;
        *.ico) graphic=TIcon ;;
        *) graphic=TMetafile ;;
    esac
    # The class name behind its length byte, then the file, behind its size where its class
    # writes one.
    {
        printf '\000%b%s' "\\x$(printf '%02x' ${#graphic})" "$graphic"
        case $name in *.bmp | *.jpg | *.wmf) littleEndian32 "$size" ;; esac
        cat "$file"
    } > "$seeds/fuzz_picture/picture-$name"
    case $name in
        *.bmp) { printf '\001'; littleEndian32 "$size"; cat "$file"; } > "$seeds/fuzz_picture/glyph-$name" ;;
        *.ico) { printf '\002'; cat "$file"; } > "$seeds/fuzz_picture/icon-$name" ;;
    esac
}
for file in "$root"/fuzz/pictures/*; do add_picture_seed "$file"; done
# The drawing reads its input as the model does, after the same byte.
cp "$seeds/fuzz_model/"* "$seeds/fuzz_draw/"
for target in "${targets[@]}"; do
    echo "$target: $(ls "$seeds/$target" | wc -l) seeds"
done

artifacts=$build/artifacts
logs=$build/logs
mkdir -p "$artifacts" "$logs"

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/fuzz/lsan.supp}
failed=()
for target in "${targets[@]}"; do
    # New inputs go to corpus/<target>, which persists between runs; the seeds stay as made.
    work=$build/corpus/$target
    mkdir -p "$work"
    options=(-max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10
             -artifact_prefix="$artifacts/$target-" -print_final_stats=1)
    case $target in
        fuzz_unit_check) options+=(-dict="$root/fuzz/pascal_unit.dict") ;;
        fuzz_text_to_resource | fuzz_tokenizer | fuzz_model | fuzz_draw) options+=(-dict="$root/fuzz/form_text.dict") ;;
    esac
    echo "=== $target for ${seconds}s (log: $logs/$target.log)"
    "$build/fuzz/$target" "${options[@]}" "$work" "$seeds/$target" > "$logs/$target.log" 2>&1
    status=$?
    grep -E '^(stat::|#[0-9]+ +DONE|==[0-9]+==ERROR|SUMMARY)' "$logs/$target.log" | tail -n 12
    if [ $status -ne 0 ]; then
        echo "!!! $target failed (exit $status); see $logs/$target.log"
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "Findings in: ${failed[*]}; reproducers in $artifacts:"
    ls -l "$artifacts"
    exit 1
fi
echo "No findings."

#!/usr/bin/env bash
# Checks how the desktop types files, through GIO (gio info) and through Qt's type database (the
# probe built beside the programs) alike: ordinary text files, source and configuration files that
# start with the word "object" are never taken for forms; every form of the shared corpus is typed
# as its kind, under its own name and under a name that says nothing; forms named otherwise are
# typed by their content; images keep their types. With --private, the types come from a database
# of this run's own, built from the system's definitions and the form types given (as before an
# install); without it, from the system's database (after an install).
# Usage: scripts/file-types-test.sh PROBE [--private FORM_TYPES_XML]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
corpus=$root/../shared/corpus
probe=$1
scratch=$(mktemp -d /tmp/dfm-types.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "!!! $*"
    exit 1
}

environment=()
if [ "${2:-}" = --private ]; then
    # One database holding every definition: Qt reads a type's magic from one database only.
    mkdir -p "$scratch/data/mime/packages"
    cp /usr/share/mime/packages/*.xml "$scratch/data/mime/packages/"
    cp "$3" "$scratch/data/mime/packages/"
    update-mime-database "$scratch/data/mime" > "$scratch/mime.log" 2>&1 \
        || { cat "$scratch/mime.log"; fail "update-mime-database"; }
    environment=(XDG_DATA_HOME="$scratch/data" XDG_DATA_DIRS="$scratch/none")
fi

files=$scratch/files
mkdir -p "$files/renamed"
binary=application/x-quen-dfm
text=text/x-quen-dfm
notForm=-
cases=()
add() {
    printf '%b' "$3" > "$files/$1"
    cases+=("$files/$1|$2")
}
# Ordinary files, most without a name that tells their type, so that only their content counts.
add notes "$notForm" 'Object files are listed below: three of them.\n'
add object-notes "$notForm" 'object files: the linker reads them\n'
add inherited-notes "$notForm" 'inherited traits: tall, dark\n'
add inline-notes "$notForm" 'inline functions are expanded where they are called:\nthe compiler decides.\n'
add libglib2.0-0 "$notForm" '# GObject uses GLib functions instead of using libc directly\nlibglib2.0-0: hardening-no-fortify-functions [usr/lib/*/libgobject-2.0.so.*]\n'
add settings.conf "$notForm" '[object]\nname: Table\n'
add Main "$notForm" 'object Main extends App {\n  val greeting: String = "hello"\n}\n'
add Main.scala "$notForm" 'object Main extends App {\n  val x: Int = 1\n}\n'
add Widget.py "$notForm" 'object = None  # Type: TBD\n'
add empty "$notForm" ''
add notes.txt text/plain 'plain words\n'
# Forms under names that do not say so.
cp "$root/examples/Sample.dfm" "$files/Sample.bin"
cases+=("$files/Sample.bin|$binary")
add stream "$binary" 'TPF0\x06TForm1\x05Form1\x00\x00'
add form "$text" 'object Form1: TForm1\r\nend\r\n'
add marked "$text" '\xef\xbb\xbfinherited Frame1: TFrame1\r\nend\r\n'
add frame.v2 "$text" 'inline Frame1: TFrame1\nend\n'
# A name of another type wins over the content.
add form.txt text/plain 'object Form1: TForm1\nend\n'
# Forms whose extension says so, whatever their first line.
add upper.dfm "$text" 'OBJECT Form1: TForm1\r\nEND\r\n'
add odd.lfm "$text" 'object Form1: MyForm\nend\n'
cp "$root/examples/Sample.dfm" "$files/Binary.fmx"
cases+=("$files/Binary.fmx|$binary")
add Stream.xfm "$binary" 'TPF0\x06TForm1\x05Form1\x00\x00'
# An image whose signature a binary form's header shares: still an image.
add picture.jxl image/jxl '\xff\x0a\xfa\x7f\x01\x00\x00\x00'
cases+=("$root/packaging/icons/hicolor/48x48/apps/org.quen.DFMEditor.png|image/png")
number=0
while IFS= read -r -d '' form; do
    kind=$text
    case $(head -c 4 "$form" | od -An -tx1 | tr -d ' ') in
        ff0a00*|54504630) kind=$binary ;;
    esac
    number=$((number + 1))
    cp "$form" "$files/renamed/form$number"
    cases+=("$form|$kind" "$files/renamed/form$number|$kind")
done < <(find "$corpus" -type f \( -iname '*.dfm' -o -iname '*.lfm' -o -iname '*.fmx' -o -iname '*.xfm' \) -print0 | sort -z)
[ "$number" -gt 300 ] || fail "only $number forms found in $corpus"

paths=()
for entry in "${cases[@]}"; do
    paths+=("${entry%|*}")
done
env "${environment[@]}" gio info -a standard::content-type "${paths[@]}" \
    | sed -n 's/^ *standard::content-type: //p' > "$scratch/gio"
env "${environment[@]}" "$probe" "${paths[@]}" > "$scratch/qt"
[ "$(wc -l < "$scratch/gio")" = ${#cases[@]} ] || fail "gio info named $(wc -l < "$scratch/gio") of ${#cases[@]} files"
[ "$(wc -l < "$scratch/qt")" = ${#cases[@]} ] || fail "the Qt probe named $(wc -l < "$scratch/qt") of ${#cases[@]} files"
failures=0
index=0
while IFS= read -r fromGio && IFS= read -r fromQt <&3; do
    entry=${cases[$index]}
    index=$((index + 1))
    want=${entry##*|}
    for got in "gio:$fromGio" "Qt:$fromQt"; do
        type=${got#*:}
        if [ "$want" = "$notForm" ]; then
            [ "$type" != $binary ] && [ "$type" != $text ] && continue
        else
            [ "$type" = "$want" ] && continue
        fi
        echo "!!! ${entry%|*} is taken for $type by ${got%%:*}, not $want"
        failures=$((failures + 1))
    done
done < "$scratch/gio" 3< "$scratch/qt"
[ $failures = 0 ] || fail "$failures file types wrong"
echo "file types: ${#cases[@]} files, each through GIO and Qt: passed"

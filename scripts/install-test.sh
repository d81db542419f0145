#!/usr/bin/env bash
# Checks what an install gives a desktop, from the build folder given (default build/): the
# installed layout, the desktop entry, the file types in a private type database, the manual
# pages, the completions of bash, zsh and fish (scripts/completion-test.sh), --version and
# --help of the installed programs, and the Debian package's control fields and file list. The
# installed editor is started once on a private X server, to see a form named with a leading "-"
# opened and the window's icon. Run as root, it also installs the package with apt-get, checks
# that the type database, the menu and the shells took it up, and removes it again (skipped when
# the package is already installed, so a user's own install is never removed).
# Usage: scripts/install-test.sh [BUILD_FOLDER]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
corpus=$root/../shared/corpus
id=org.quen.DFMEditor
package=quen-dfm-editor
version=$(sed -n 's/.*ProductVersion = "\(.*\)";/\1/p' "$build/generated/Version.h")
year=$(sed -n 's/.*CopyrightYear = "\(.*\)";/\1/p' "$build/generated/Version.h")

scratch=$(mktemp -d /tmp/dfm-install.XXXXXX)
installedHere=0
xvfbPid=""
editorPid=""
# Ends the editor and the X server this script started.
stopStarted() {
    for pid in $editorPid $xvfbPid; do
        kill "$pid" 2> /dev/null || true
        wait "$pid" 2> /dev/null || true
    done
    editorPid=""
    xvfbPid=""
}
cleanUp() {
    stopStarted
    if [ $installedHere = 1 ]; then
        apt-get purge -y -q "$package" > /dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanUp EXIT

fail() {
    echo "!!! $*"
    exit 1
}

[ -d "$corpus" ] || fail "the shared test forms are expected in $corpus"

expected=(
    bin/QuenDFMEd bin/dfmconv bin/dfmgrep bin/dfmlint
    share/applications/$id.desktop
    share/mime/packages/$id.xml
    share/icons/hicolor/scalable/apps/$id.svg
    share/man/man1/QuenDFMEd.1 share/man/man1/dfmconv.1 share/man/man1/dfmgrep.1 share/man/man1/dfmlint.1
    share/bash-completion/completions/dfmconv share/bash-completion/completions/dfmgrep
    share/bash-completion/completions/dfmlint
    share/zsh/vendor-completions/_dfmconv share/zsh/vendor-completions/_dfmgrep
    share/zsh/vendor-completions/_dfmlint
    share/fish/vendor_completions.d/dfmconv.fish share/fish/vendor_completions.d/dfmgrep.fish
    share/fish/vendor_completions.d/dfmlint.fish
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
done
expectedList=$(printf '%s\n' "${expected[@]}" | sort)

echo "-- install into a DESTDIR and into a prefix"
DESTDIR=$scratch/dest cmake --install "$build" --prefix /usr > /dev/null
prefix=$scratch/dest/usr
[ "$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)" = "$expectedList" ] \
    || fail "the installed files differ from the expected layout: $(cd "$prefix" && find . -type f | sort)"
cmake --install "$build" --prefix "$scratch/prefix" > /dev/null
[ "$(cd "$scratch/prefix" && find . -type f | sed 's|^\./||' | sort)" = "$expectedList" ] \
    || fail "an install with --prefix differs from the expected layout"
for program in QuenDFMEd dfmconv dfmgrep dfmlint; do
    [ -x "$prefix/bin/$program" ] || fail "$program is not installed as a program"
done

echo "-- desktop entry"
entry=$prefix/share/applications/$id.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refuses $entry"
grep -qx "Exec=QuenDFMEd %f" "$entry" || fail "the entry does not open a file given to it"
grep -qx "Icon=$id" "$entry" || fail "the entry's icon is not the installed one"
grep -qx "MimeType=application/x-quen-dfm;text/x-quen-dfm;" "$entry" || fail "the entry does not name both form types"

echo "-- file types, from a private type database built from the installed package"
data=$scratch/data
mkdir -p "$data/mime/packages"
cp "$prefix/share/mime/packages/$id.xml" "$data/mime/packages/"
# It notes that the folder is not one the desktop searches: that is the point here.
update-mime-database "$data/mime" > "$scratch/mime.log" 2>&1 || { cat "$scratch/mime.log"; fail "update-mime-database"; }
mkdir "$scratch/files"
cp "$corpus/binary/CASE-001-ABOUT.DFM" "$scratch/files/upper.DFM"
cp "$root/examples/Sample.dfm" "$scratch/files/"
# Told by content alone: neither name says what it is.
cp "$root/examples/Sample.dfm" "$scratch/files/binary-form"
printf '\xef\xbb\xbfobject Form1: TForm1\r\nend\r\n' > "$scratch/files/marked.dfm"
printf 'INHERITED Frame1: TFrame1\r\nend\r\n' > "$scratch/files/frame.xfm"
printf 'plain words\n' > "$scratch/files/notes.txt"
# An image whose signature a binary form's header shares: still an image.
printf '\xff\x0a\xfa\x7f\x01\x00\x00\x00' > "$scratch/files/picture.jxl"
typeCases=(
    "$scratch/files/upper.DFM application/x-quen-dfm"
    "$scratch/files/Sample.dfm application/x-quen-dfm"
    "$scratch/files/binary-form application/x-quen-dfm"
    "$corpus/text/Delphi3-Sample-142-uMain.dfm text/x-quen-dfm"
    "$corpus/text/BLumiaTimidityShell-152-unit3.lfm text/x-quen-dfm"
    "$scratch/files/marked.dfm text/x-quen-dfm"
    "$scratch/files/frame.xfm text/x-quen-dfm"
    "$prefix/share/icons/hicolor/48x48/apps/$id.png image/png"
    "$scratch/files/notes.txt text/plain"
    "$scratch/files/picture.jxl image/jxl"
)
for entry in "${typeCases[@]}"; do
    file=${entry% *}
    want=${entry##* }
    got=$(XDG_DATA_HOME=$data gio info -a standard::content-type "$file" | sed -n 's/^ *standard::content-type: //p')
    [ "$got" = "$want" ] || fail "$file is taken for $got, not $want"
done

echo "-- manual pages"
for page in "$prefix"/share/man/man1/*.1; do
    warnings=$(groff -ww -z -man "$page" 2>&1)
    [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
    text=$(LC_ALL=C MANWIDTH=100 man -l "$page" 2> "$scratch/man.err")
    [ ! -s "$scratch/man.err" ] || fail "man -l $page: $(cat "$scratch/man.err")"
    program=$(basename "$page" .1)
    # Every option and command the program's own usage text lists is in its page.
    for option in $("$prefix/bin/$program" --help | grep -oE '^ +(-[-a-z]*|totext|tobinary|check)(, --[a-z]+)?' | tr -d ','); do
        grep -qe "$option" <<< "$text" || fail "the manual page of $program does not mention $option"
    done
    for section in "EXIT STATUS" FILES EXAMPLES; do
        grep -q "^$section" <<< "$text" || fail "the manual page of $program has no $section"
    done
    # SEE ALSO leads to every other program of the project.
    seeAlso=$(sed -n '/^SEE ALSO/,$p' <<< "$text")
    for other in QuenDFMEd dfmconv dfmgrep dfmlint; do
        [ "$other" = "$program" ] || grep -q "$other(1)" <<< "$seeAlso" \
            || fail "the manual page of $program does not name $other(1) under SEE ALSO"
    done
done
grep -q "^ENVIRONMENT" <<< "$(LC_ALL=C man -l "$prefix/share/man/man1/QuenDFMEd.1")" \
    || fail "the manual page of QuenDFMEd has no ENVIRONMENT"

echo "-- completions in bash, zsh and fish"
bash "$root/scripts/completion-test.sh" "$prefix" || fail "the completions do not offer what they should"

echo "-- --version and --help of the installed programs"
for program in QuenDFMEd dfmconv dfmgrep dfmlint; do
    got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/$program" --version) \
        || fail "$program --version fails"
    # The GNU form: name and version, copyright, licence.
    [ "$(sed -n 1p <<< "$got")" = "$program (Quen DFM Editor) $version" ] \
        && [ "$(sed -n 2p <<< "$got")" = "Copyright (C) $year The Quen DFM Editor developers" ] \
        && [ "$(sed -n 3p <<< "$got")" = "License MIT: <https://opensource.org/license/mit>" ] \
        && grep -qx "There is NO WARRANTY, to the extent permitted by law." <<< "$got" \
        || fail "$program --version says: $got"
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/$program" --help > "$scratch/help" \
        || fail "$program --help fails"
    grep -q "^Usage: $program" "$scratch/help" || fail "$program --help prints no usage"
done
status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/QuenDFMEd" --no-such-option > /dev/null 2> "$scratch/err" || status=$?
[ $status = 2 ] && grep -q "unknown option --no-such-option" "$scratch/err" \
    || fail "QuenDFMEd takes an unknown option (exit $status)"

echo "-- the installed editor on a private X server: a name starting with \"-\" after \"--\", its icon"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3> "$scratch/display" 2> /dev/null &
xvfbPid=$!
for _ in $(seq 100); do
    grep -qs '^[0-9][0-9]*$' "$scratch/display" && break
    sleep 0.1
done
cp "$root/examples/Sample.dfm" "$scratch/files/-draft.dfm"
(cd "$scratch/files" && exec env DISPLAY=":$(cat "$scratch/display")" QT_QPA_PLATFORM=xcb \
    XDG_CONFIG_HOME="$scratch/config" "$prefix/bin/QuenDFMEd" -- -draft.dfm) > "$scratch/editor.log" 2>&1 &
editorPid=$!
window=""
for _ in $(seq 100); do
    window=$(DISPLAY=":$(cat "$scratch/display")" xdotool search --onlyvisible --name -- '-draft\.dfm$' 2> /dev/null \
        | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.2
done
icon=""
[ -z "$window" ] || icon=$(DISPLAY=":$(cat "$scratch/display")" xprop -id "$window" _NET_WM_ICON)
stopStarted
[ -n "$window" ] || { cat "$scratch/editor.log"; fail "the editor did not show -draft.dfm opened after --"; }
# The window system is given the sizes up to 128 pixels.
for size in 16 32 48 64 128; do
    grep -q "Icon ($size x $size)" <<< "$icon" || fail "the editor window has no $size pixel icon"
done

echo "-- Debian package"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB > "$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack could not make the package"; }
deb=$(ls "$build"/"$package"_*.deb)
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "$package" ] || fail "the package is named $(field Package)"
[ "$(field Version)" = "$version" ] || fail "the package's version is $(field Version), not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "the package is for $(field Architecture)"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libuchardet0; do
    field Depends | tr ',' '\n' | grep -q "^ *$library " || fail "the package does not depend on $library: $(field Depends)"
done
[ "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | sort)" = "$expectedList" ] \
    || fail "the package's files differ from the installed layout: $(dpkg-deb -c "$deb")"
dpkg-deb -c "$deb" | awk '$2 != "root/root" {exit 1}' || fail "the package holds files not owned by root"

if [ "$(id -u)" != 0 ]; then
    echo "-- not root: the package is not installed"
elif dpkg -s "$package" > /dev/null 2>&1; then
    echo "-- $package is installed already: installing the package is skipped"
else
    echo "-- the package installed with apt-get and removed again"
    installedHere=1
    apt-get install -y -q "$deb" > "$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "apt-get cannot install $deb"; }
    [ "$(/usr/bin/dfmconv --version | head -n 1)" = "dfmconv (Quen DFM Editor) $version" ] || fail "/usr/bin/dfmconv --version"
    # Each shell finds the completions in its own system folder.
    bash "$root/scripts/completion-test.sh" /usr || fail "the installed completions do not offer what they should"
    # The triggers of the type database and of the menu took the new files up.
    [ -f /usr/share/mime/application/x-quen-dfm.xml ] || fail "the type database does not know the binary form type"
    grep -q "text/x-quen-dfm=.*$id.desktop" /usr/share/applications/mimeinfo.cache \
        || fail "the menu's type list does not offer the editor for text forms"
    [ "$(gio info -a standard::content-type "$root/examples/Sample.dfm" | sed -n 's/^ *standard::content-type: //p')" \
        = application/x-quen-dfm ] || fail "the installed type database does not know a binary form"
    apt-get purge -y -q "$package" > "$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "apt-get cannot remove $package"; }
    installedHere=0
    [ ! -e /usr/bin/dfmconv ] && [ ! -e /usr/share/applications/$id.desktop ] || fail "files stay after the removal"
    [ ! -e /usr/share/mime/application/x-quen-dfm.xml ] || fail "the type database keeps the type after the removal"
    ! grep -q "$id" /usr/share/applications/mimeinfo.cache || fail "the menu's type list keeps the editor after the removal"
fi
echo "install and package: passed"

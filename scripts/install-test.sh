#!/usr/bin/env bash
# Checks what an install gives a desktop, from the build folder given (default build/): the
# installed layout, the desktop entry, the AppStream metadata, the icons, the file types in a
# private type database (scripts/file-types-test.sh), the manual pages, the completions of bash,
# zsh and fish (scripts/completion-test.sh), --version and --help of the installed programs. The
# installed editor is started once on a private X server, to see a form named with a leading "-"
# opened and the window's icon. Then the two Debian packages: control fields, file lists,
# lintian, the hardening of the programs, a tools package without Qt or X, and the same bytes
# from a second build of the same sources. Run as root, it also installs the packages with
# apt-get over the older single package, checks that the type database, the menu and the shells
# took them up, runs the tools with the editor's package removed, and removes them again
# (skipped when one is already installed, so a user's own install is never removed).
# Usage: scripts/install-test.sh [BUILD_FOLDER]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
corpus=$root/../shared/corpus
id=org.quen.DFMEditor
toolsPackage=quen-dfm-tools
editorPackage=quen-dfm-editor
tools=(dfmconv dfmgrep dfmlint)
version=$(sed -n 's/.*ProductVersion = "\(.*\)";/\1/p' "$build/generated/Version.h")
year=$(sed -n 's/.*CopyrightYear = "\(.*\)";/\1/p' "$build/generated/Version.h")

scratch=$(mktemp -d /tmp/dfm-install.XXXXXX)
# A second checkout of the same sources and its build.
second=$scratch/second
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
        apt-get purge -y -q "$editorPackage" "$toolsPackage" > /dev/null 2>&1 || true
    fi
    rm -rf "$scratch"
}
trap cleanUp EXIT

fail() {
    echo "!!! $*"
    exit 1
}

[ -d "$corpus" ] || fail "the shared test forms are expected in $corpus"

toolsFiles=("share/doc/$toolsPackage/copyright" "share/doc/$toolsPackage/changelog.gz")
for tool in "${tools[@]}"; do
    toolsFiles+=("bin/$tool" "share/man/man1/$tool.1.gz" "share/bash-completion/completions/$tool"
        "share/zsh/vendor-completions/_$tool" "share/fish/vendor_completions.d/$tool.fish")
done
editorFiles=(
    bin/QuenDFMEd share/man/man1/QuenDFMEd.1.gz
    bin/dfmdraw share/man/man1/dfmdraw.1.gz share/bash-completion/completions/dfmdraw
    share/zsh/vendor-completions/_dfmdraw share/fish/vendor_completions.d/dfmdraw.fish
    "share/doc/$editorPackage/copyright" "share/doc/$editorPackage/changelog.gz"
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/mime/packages/$id.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    share/icons/hicolor/scalable/mimetypes/application-x-quen-dfm.svg
    share/icons/hicolor/scalable/mimetypes/text-x-quen-dfm.svg
)
for size in 16 32 48 64 128 256; do
    editorFiles+=("share/icons/hicolor/${size}x$size/apps/$id.png")
done
sortedList() { printf '%s\n' "$@" | sort; }
expectedList=$(sortedList "${toolsFiles[@]}" "${editorFiles[@]}")

echo "-- install into a DESTDIR and into a prefix"
DESTDIR=$scratch/dest cmake --install "$build" --prefix /usr > /dev/null
prefix=$scratch/dest/usr
[ "$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)" = "$expectedList" ] \
    || fail "the installed files differ from the expected layout: $(cd "$prefix" && find . -type f | sort)"
cmake --install "$build" --prefix "$scratch/prefix" > /dev/null
[ "$(cd "$scratch/prefix" && find . -type f | sed 's|^\./||' | sort)" = "$expectedList" ] \
    || fail "an install with --prefix differs from the expected layout"
for program in QuenDFMEd dfmconv dfmgrep dfmlint dfmdraw; do
    [ -x "$prefix/bin/$program" ] || fail "$program is not installed as a program"
done

echo "-- desktop entry"
entry=$prefix/share/applications/$id.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refuses $entry"
grep -qx "Exec=QuenDFMEd %f" "$entry" || fail "the entry does not open a file given to it"
grep -qx "Icon=$id" "$entry" || fail "the entry's icon is not the installed one"
grep -qx "MimeType=application/x-quen-dfm;text/x-quen-dfm;" "$entry" || fail "the entry does not name both form types"
grep -qx "Keywords=dfm;lfm;fmx;xfm;form;" "$entry" || fail "the entry's keywords do not name every form extension"

echo "-- AppStream metadata"
appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/$id.metainfo.xml" > "$scratch/appstream.log" 2>&1 \
    || { cat "$scratch/appstream.log"; fail "appstreamcli refuses the metadata"; }
# The identifier's capitals are fixed by the desktop entry's name: the only remark allowed.
! grep -E '^[EWI]:|^P:' "$scratch/appstream.log" | grep -v '^P: [^ ]* cid-contains-uppercase-letter' \
    || fail "appstreamcli has remarks on the metadata"
for type in application/x-quen-dfm text/x-quen-dfm; do
    grep -q "<mediatype>$type</mediatype>" "$prefix/share/metainfo/$id.metainfo.xml" \
        || fail "the metadata does not provide $type"
done

echo "-- icons: each PNG of the size its folder names, an icon for each form type"
for size in 16 32 48 64 128 256; do
    file "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," \
        || fail "the ${size}x$size icon is not $size pixels"
done
for type in application-x-quen-dfm text-x-quen-dfm; do
    grep -q "<icon name=\"$type\"/>" "$prefix/share/mime/packages/$id.xml" || fail "the type $type names no icon"
done

echo "-- file types, from a private type database holding the installed package's"
bash "$root/scripts/file-types-test.sh" "$build/packaging/dfm_mime_type_probe" \
    --private "$prefix/share/mime/packages/$id.xml" || fail "files are typed wrongly"
mkdir "$scratch/files"

echo "-- manual pages"
for page in "$prefix"/share/man/man1/*.1.gz; do
    zcat "$page" | head -n 1 | grep -q "\"Quen DFM Editor $version\"" || fail "$page does not name version $version"
    warnings=$(zcat "$page" | groff -ww -z -man 2>&1)
    [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
    text=$(LC_ALL=C MANWIDTH=100 man -l "$page" 2> "$scratch/man.err")
    [ ! -s "$scratch/man.err" ] || fail "man -l $page: $(cat "$scratch/man.err")"
    program=$(basename "$page" .1.gz)
    # Every option and command the program's own usage text lists is in its page.
    for option in $("$prefix/bin/$program" --help | grep -oE '^ +(-[-a-z]*|totext|tobinary|check)(, --[a-z]+)?' | tr -d ','); do
        grep -qe "$option" <<< "$text" || fail "the manual page of $program does not mention $option"
    done
    for section in "EXIT STATUS" FILES EXAMPLES; do
        grep -q "^$section" <<< "$text" || fail "the manual page of $program has no $section"
    done
    # SEE ALSO leads to every other program of the project.
    seeAlso=$(sed -n '/^SEE ALSO/,$p' <<< "$text")
    for other in QuenDFMEd dfmconv dfmgrep dfmlint dfmdraw; do
        [ "$other" = "$program" ] || grep -q "$other(1)" <<< "$seeAlso" \
            || fail "the manual page of $program does not name $other(1) under SEE ALSO"
    done
done
grep -q "^ENVIRONMENT" <<< "$(LC_ALL=C man -l "$prefix/share/man/man1/QuenDFMEd.1.gz")" \
    || fail "the manual page of QuenDFMEd has no ENVIRONMENT"

echo "-- completions in bash, zsh and fish"
bash "$root/scripts/completion-test.sh" "$prefix" || fail "the completions do not offer what they should"

echo "-- --version and --help of the installed programs"
for program in QuenDFMEd dfmconv dfmgrep dfmlint dfmdraw; do
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

echo "-- Debian packages"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB > "$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack could not make the packages"; }
toolsDeb=$(ls "$build"/"$toolsPackage"_*.deb)
editorDeb=$(ls "$build"/"$editorPackage"_*.deb)
field() { dpkg-deb -f "$1" "$2"; }
dependsOn() { field "$1" Depends | tr ',' '\n' | grep -q "^ *$2 "; }
for deb in "$toolsDeb" "$editorDeb"; do
    [ "$(field "$deb" Version)" = "$version" ] || fail "$deb has version $(field "$deb" Version), not $version"
    [ "$(field "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "$deb is for $(field "$deb" Architecture)"
    dpkg-deb -c "$deb" | awk '$2 != "root/root" {exit 1}' || fail "$deb holds files not owned by root"
done
[ "$(field "$toolsDeb" Package)" = "$toolsPackage" ] && [ "$(field "$editorDeb" Package)" = "$editorPackage" ] \
    || fail "the packages are named $(field "$toolsDeb" Package) and $(field "$editorDeb" Package)"
packageFiles() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | sort; }
[ "$(packageFiles "$toolsDeb")" = "$(sortedList "${toolsFiles[@]}")" ] \
    || fail "the tools package's files differ from the expected ones: $(packageFiles "$toolsDeb")"
[ "$(packageFiles "$editorDeb")" = "$(sortedList "${editorFiles[@]}")" ] \
    || fail "the editor package's files differ from the expected ones: $(packageFiles "$editorDeb")"
for library in libc6 libstdc++6 libuchardet0; do
    dependsOn "$toolsDeb" $library || fail "the tools package does not depend on $library: $(field "$toolsDeb" Depends)"
done
for library in libqt6core6 libqt6gui6 libqt6widgets6 "$toolsPackage (= $version)"; do
    dependsOn "$editorDeb" "${library%% *}" && field "$editorDeb" Depends | grep -qF "$library" \
        || fail "the editor package does not depend on $library: $(field "$editorDeb" Depends)"
done
# An upgrade from the single package that held the tools before goes through.
for relation in Breaks Replaces; do
    [ "$(field "$toolsDeb" $relation)" = "$editorPackage (<< 1.1.0)" ] \
        || fail "the tools package's $relation is \"$(field "$toolsDeb" $relation)\""
done

echo "-- the tools need neither Qt nor X"
noDesktop='qt|libx|xcb|libgl|libegl|libwayland|libfontconfig|libfreetype|libdbus|libicu'
! field "$toolsDeb" Depends | grep -iE "$noDesktop" || fail "the tools package depends on a desktop library"
dpkg-deb -x "$toolsDeb" "$scratch/tools-package"
dpkg-deb -x "$editorDeb" "$scratch/editor-package"
for tool in "${tools[@]}"; do
    ! ldd "$scratch/tools-package/usr/bin/$tool" | grep -iE "$noDesktop" || fail "$tool loads a desktop library"
done

echo "-- lintian: no error, no warning"
lintian --fail-on error,warning --tag-display-limit 0 "$toolsDeb" "$editorDeb" > "$scratch/lintian.log" 2>&1 \
    || { cat "$scratch/lintian.log"; fail "lintian finds errors or warnings"; }

echo "-- the packaged programs are hardened: PIE, stack protector, fortified, read-only relocations, bound now"
# Control flow protection is not among the flags this distribution gives.
for program in "$scratch/tools-package/usr/bin/"* "$scratch/editor-package/usr/bin/"*; do
    hardening-check --nocfprotection "$program" > "$scratch/hardening.log" 2>&1 \
        || { cat "$scratch/hardening.log"; fail "$program is not hardened"; }
done

echo "-- a second build of the same sources, checked out afresh, gives the same packages, byte for byte"
# Every time stamp in the packages is the last commit's.
if epoch=$(git -C "$root" log -1 --format=%ct 2> /dev/null); then
    ! dpkg-deb --fsys-tarfile "$toolsDeb" | TZ=UTC tar -t -v --full-time | grep -v " $(date -u -d "@$epoch" '+%F %T') " \
        || fail "the tools package holds times other than the last commit's"
fi
# The copy's files are new; its build folder is named as the original's.
rm -rf "$second"
mkdir -p "$second/sources"
(cd "$root" && { git ls-files -z -c -o --exclude-standard && find .git -maxdepth 0 -print0; } \
    | tar --null -T - -c) | tar -x --touch -C "$second/sources"
mv "$second/sources" "$second/$(basename "$root")"
copy=$second/$(basename "$root")
copyBuild=$copy/$(basename "$build")
cmake -S "$copy" -B "$copyBuild" -G Ninja -DCMAKE_BUILD_TYPE="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")" \
    -DDFM_WERROR="$(sed -n 's/^DFM_WERROR:[A-Z]*=//p' "$build/CMakeCache.txt")" -DDFM_BENCH=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON > "$scratch/second.log" 2>&1 \
    && cmake --build "$copyBuild" --target QuenDFMEd dfmdraw "${tools[@]}" dfm_compressed_docs >> "$scratch/second.log" 2>&1 \
    && (cd "$copyBuild" && cpack -G DEB >> "$scratch/second.log" 2>&1) \
    || { tail -n 30 "$scratch/second.log"; fail "the second build failed"; }
for deb in "$toolsDeb" "$editorDeb"; do
    cmp "$deb" "$copyBuild/$(basename "$deb")" || fail "$(basename "$deb") differs between two builds of the same sources"
done
rm -rf "$second"

if [ "$(id -u)" != 0 ]; then
    echo "-- not root: the packages are not installed"
elif dpkg -s "$editorPackage" > /dev/null 2>&1 || dpkg -s "$toolsPackage" > /dev/null 2>&1; then
    echo "-- $editorPackage or $toolsPackage is installed already: installing the packages is skipped"
else
    echo "-- the packages installed with apt-get over the older single package, and removed again"
    installedHere=1
    # The single package of 1.0.0: the same files, the tools among them.
    old=$scratch/old-package
    mkdir -p "$old/DEBIAN" "$old/usr/bin"
    cp "$scratch/tools-package/usr/bin/"* "$scratch/editor-package/usr/bin/"* "$old/usr/bin/"
    printf 'Package: %s\nVersion: 1.0.0\nArchitecture: %s\nMaintainer: %s\nDescription: %s\n' \
        "$editorPackage" "$(dpkg --print-architecture)" "$(field "$editorDeb" Maintainer)" "the single package of 1.0.0" \
        > "$old/DEBIAN/control"
    dpkg-deb --root-owner-group --build "$old" "$scratch/old.deb" > /dev/null
    apt-get install -y -q "$scratch/old.deb" > "$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "apt-get cannot install the old package"; }
    apt-get install -y -q "$toolsDeb" "$editorDeb" > "$scratch/apt.log" 2>&1 \
        || { cat "$scratch/apt.log"; fail "apt-get cannot upgrade to $toolsDeb and $editorDeb"; }
    [ "$(dpkg-query -W -f '${Version}' "$editorPackage")" = "$version" ] || fail "$editorPackage was not upgraded"
    [ "$(dpkg -S /usr/bin/dfmconv | cut -d: -f1)" = "$toolsPackage" ] || fail "/usr/bin/dfmconv is not the tools package's"
    # Each shell finds the completions in its own system folder.
    bash "$root/scripts/completion-test.sh" /usr || fail "the installed completions do not offer what they should"
    # The triggers of the type database and of the menu took the new files up.
    [ -f /usr/share/mime/application/x-quen-dfm.xml ] || fail "the type database does not know the binary form type"
    grep -q "text/x-quen-dfm=.*$id.desktop" /usr/share/applications/mimeinfo.cache \
        || fail "the menu's type list does not offer the editor for text forms"
    bash "$root/scripts/file-types-test.sh" "$build/packaging/dfm_mime_type_probe" \
        || fail "the installed type database types files wrongly"
    apt-get purge -y -q "$editorPackage" > "$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "apt-get cannot remove $editorPackage"; }
    [ ! -e /usr/bin/QuenDFMEd ] || fail "the editor stays after its package's removal"
    # The tools work alone.
    cp "$root/examples/Sample.dfm" "$scratch/alone.dfm"
    dfmconv totext "$scratch/alone.dfm" "$scratch/alone.txt" && grep -q "^object" "$scratch/alone.txt" \
        || fail "dfmconv does not convert without the editor's package"
    dfmgrep -r SampleForm "$scratch" | grep -q "alone.dfm" || fail "dfmgrep does not search without the editor's package"
    for tool in "${tools[@]}"; do
        [ "$("$tool" --version | head -n 1)" = "$tool (Quen DFM Editor) $version" ] || fail "$tool --version alone"
    done
    dfmlint "$scratch/alone.dfm" > /dev/null 2>&1 || [ $? = 1 ] || fail "dfmlint does not run without the editor's package"
    apt-get purge -y -q "$toolsPackage" > "$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "apt-get cannot remove $toolsPackage"; }
    installedHere=0
    [ ! -e /usr/bin/dfmconv ] && [ ! -e /usr/share/applications/$id.desktop ] || fail "files stay after the removal"
    [ ! -e /usr/share/mime/application/x-quen-dfm.xml ] || fail "the type database keeps the type after the removal"
    ! grep -q "$id" /usr/share/applications/mimeinfo.cache || fail "the menu's type list keeps the editor after the removal"
fi
echo "install and package: passed"

#!/usr/bin/env bash
# Runs the tests that need the system to refuse an access, from the build folder given (default
# build/), as a user who can be refused: root is refused nothing, so these tests skip themselves for
# root. Run as root, they run as nobody; run as anyone else, as that user. Fails when one of them
# fails, is skipped or no longer exists.
# Usage: scripts/permissions.sh [BUILD_FOLDER]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

# Each test program with the tests in it that skip themselves for root, as a gtest filter.
programs=(
    "editor/tests/editor_tests Saving.WithoutBackupsAReadOnlyFormIsAnError:Saving.AFolderThatTakesNoNewFilesGetsItsFilesRewrittenInPlace:Saving.ReadOnlyFilesAreRefusedAndAnUneditedOneIsLeftAlone"
    "formmodel/tests/formmodel_tests UnitFile.UnreadableUnitsAndFoldersThatCannotBeListed"
    "grep/tests/grep_tests FileScannerTest.FailuresGiveTheErrorBoxAndNotFound:GrepEngineTest.BadEntriesLetTheWalkGoOn"
    "grep/tests/grep_window_tests ShellFileInfoGet.MarksAReadOnlyFile:ShellFileInfoGet.ReadOnlyFolderKeepsItsEntriesInPlace"
    "tools/dfmconv/dfmconv_tests DfmconvTest.AReadOnlyOutputIsReplacedOnlyWithForce:DfmconvTest.InPlaceMigratesACopyOfTheCorpus:DfmconvTest.AnUnreadableSubfolderIsReportedAndTheRunGoesOn:DfmconvTest.APictureThatCannotBeWrittenIsReported"
)

# The tests make their folders under TMPDIR and read the sample form beside the sources; HOME and
# TMPDIR point into a scratch folder of the user's own, so nothing of root's is written to.
scratch=$(mktemp -d /tmp/dfm-permissions.XXXXXX)
# A test stopped halfway may leave a folder it had locked.
trap 'chmod -R u+rwX "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
runner=()
user=$(id -un)
if [ "$(id -u)" = 0 ]; then
    user=nobody
    runner=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    reachable=("$root/examples/Sample.dfm")
    for entry in "${programs[@]}"; do reachable+=("$build/${entry%% *}"); done
    # A checkout inside a folder that others cannot enter (a private temporary folder, root's home)
    # is out of nobody's reach. Then the tests run as nobody in a user namespace of their own:
    # without any capability, so permissions hold for them as for any user, while root's files,
    # this checkout included, count as theirs.
    if "${runner[@]}" bash -c '[ -r "$1" ] && shift && for file; do [ -x "$file" ] || exit 1; done' - "${reachable[@]}"; then
        chown nobody:nogroup "$scratch"
    else
        echo "the checkout is out of nobody's reach: running as nobody in a user namespace"
        runner=(unshare --user --map-user=nobody --map-group=nogroup)
    fi
fi
export HOME=$scratch TMPDIR=$scratch
unset XDG_RUNTIME_DIR XDG_CONFIG_HOME

passed=0
failed=0
for entry in "${programs[@]}"; do
    program=${entry%% *}
    filter=${entry#* }
    expected=$(tr ':' '\n' <<< "$filter" | wc -l)
    log=$scratch/$(basename "$program").log
    status=0
    "${runner[@]}" "$build/$program" --gtest_filter="$filter" > "$log" 2>&1 || status=$?
    ran=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p' "$log")
    if [ $status -ne 0 ] || [ "${ran:-0}" -ne "$expected" ] || grep -q '^\[  SKIPPED \]' "$log"; then
        echo "!!! $program as $user: $expected expected to pass, ${ran:-0} passed (exit $status):"
        cat "$log"
        failed=$((failed + expected))
    else
        echo "$program as $user: $ran passed"
        passed=$((passed + expected))
    fi
done
echo "permission tests as $user: $passed passed, $failed failed"
[ $failed -eq 0 ]

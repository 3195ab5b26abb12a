#!/bin/sh
# Mutation run: applies each fault in mutants.txt, one at a time, to a copy of the tree,
# rebuilds the tests that cover it (Debug, no sanitizers, one build folder reused so only the
# mutated file and the link are redone) and reports whether they catch it.
#
#   tests/mutants/run.sh [WORK_DIR] [NAME_FILTER]
#
# WORK_DIR (default /tmp/coursesmith-mutants) holds the copy and its build folder; the
# real tree is only read. NAME_FILTER runs the mutants whose name contains it.
set -eu

src=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-/tmp/coursesmith-mutants}
filter=${2:-}
list="$src/tests/mutants/mutants.txt"
copy="$work/tree"
build="$work/build"
mkdir -p "$copy"

# Bring the copy up to date. Only files whose content differs are copied, so they get a
# fresh time stamp and unchanged files keep theirs (the build redoes only what changed).
(cd "$src" && find . -path ./build -prune -o -path ./.git -prune -o -type f -print) |
    while IFS= read -r f; do
        if ! cmp -s "$src/$f" "$copy/$f"; then
            mkdir -p "$(dirname "$copy/$f")"
            cp "$src/$f" "$copy/$f"
        fi
    done

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$copy" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCOURSESMITH_SANITIZE=OFF \
        -DCOURSESMITH_BENCH=OFF >/dev/null
fi
# Faults in the desktop program are tried on its widget tests (offscreen), faults in the
# command-line tool and the replay interpreter it runs on its tests and golden files, all others
# on the core tests.
target=core_tests
build_tests() {
    if [ "$target" = shell ]; then
        cmake --build "$build" --target panel_test view_test startup_test properties_dialog_test \
            >"$work/build.log" 2>&1
    elif [ "$target" = cli ]; then
        cmake --build "$build" --target coursesmith-cli cli_tests >"$work/build.log" 2>&1
    else
        cmake --build "$build" --target core_tests >"$work/build.log" 2>&1
    fi
}
run_tests() {
    if [ "$target" = shell ]; then
        for t in panel_test view_test startup_test properties_dialog_test; do
            QT_QPA_PLATFORM=offscreen timeout 300 "$build/tests/shell/$t" >"$work/test.log" 2>&1 ||
                return 1
        done
    elif [ "$target" = cli ]; then
        timeout 300 "$build/tests/cli_tests" --gtest_brief=1 --gtest_fail_fast >"$work/test.log" 2>&1 &&
            timeout 300 python3 "$copy/tests/golden_test.py" "$build/cli/coursesmith-cli" \
                >>"$work/test.log" 2>&1
    else
        timeout 300 "$build/tests/core_tests" --gtest_brief=1 --gtest_fail_fast >"$work/test.log" 2>&1
    fi
}

# The wheel and the history keys (editor/view_input.*) are exercised through the Qt panel
# and view. Faults named windows-* are tried on the Windows suite (tests/windows/mutants.sh).
target_of() {
    case "$1" in
    shell/* | editor/view_input.*) echo shell ;;
    cli/* | replay/*) echo cli ;;
    *) echo core_tests ;;
    esac
}
# The tests that the chosen faults are tried on must pass unmutated.
for target in $(grep -v '^[[:space:]]*\(#\|$\)' "$list" | grep -v '^windows-' | while read -r name file rest; do
    case "$name" in *"$filter"*) target_of "$file" ;; esac
done | sort -u); do
    build_tests || { echo "the unmutated tree does not build; see $work/build.log"; exit 2; }
    run_tests || { echo "the unmutated suite fails; see $work/test.log"; exit 2; }
done

rm -f "$work/results"
# Each line: NAME FILE OLD => NEW. OLD must occur exactly once in FILE; \n in OLD or NEW
# stands for a line break.
grep -v '^[[:space:]]*\(#\|$\)' "$list" | grep -v '^windows-' | while IFS= read -r line; do
    name=${line%% *}
    rest=${line#* }
    file=${rest%% *}
    case "$name" in *"$filter"*) ;; *) continue ;; esac
    target=$(target_of "$file")
    cp "$copy/$file" "$work/original"
    if ! python3 "$src/tests/mutants/apply_fault.py" "$copy/$file" "${rest#* }"; then
        echo "INVALID  $name"
        continue
    fi
    if ! build_tests; then
        verdict="killed (build)"
    elif run_tests; then
        verdict="SURVIVED"
    else
        failed=$(grep -c '^\[  FAILED  \]\|^FAIL!' "$work/test.log" || true)
        verdict="killed ($failed failing)"
        [ "$failed" -gt 0 ] || verdict="killed (crash or timeout)"
    fi
    # Restored by copying, so the file is newer than the mutant's object and is rebuilt.
    cp "$work/original" "$copy/$file"
    echo "$verdict  $name" | tee -a "$work/results"
done

[ -f "$work/results" ] || exit 0
total=$(wc -l <"$work/results")
killed=$(grep -c '^killed' "$work/results" || true)
echo "score: $killed of $total killed"
grep '^SURVIVED' "$work/results" || true
rm -f "$work/results"

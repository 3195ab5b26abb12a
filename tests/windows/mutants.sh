#!/bin/sh
# The Windows faults of tests/mutants/mutants.txt (names starting with "windows-"), each
# applied on its own to a copy of the tree, built for Windows and tried on the Windows suite
# under Wine: the core tests, and the tool against the Linux one (cli_parity.sh).
#
#   tests/windows/mutants.sh LINUX_CLI [WORK_DIR] [NAME_FILTER]
#
# LINUX_CLI is a Linux coursesmith-cli built from the same tree (make test-windows uses the
# debug build's). Run under xvfb-run (-s "-screen 0 1280x1024x24") with
# COURSESMITH_SCREEN_PROBE set for the desktop program's faults ("windows-ui-"). WORK_DIR
# (default /tmp/coursesmith-windows-mutants) holds the copy, its build folder and its Wine
# prefix; the real tree is only read.
set -eu

src=$(cd "$(dirname "$0")/../.." && pwd)
native=$1
work=${2:-/tmp/coursesmith-windows-mutants}
filter=${3:-}
copy="$work/tree"
build="$work/build"
mkdir -p "$copy"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all

# Only files whose content differs are copied, so that unchanged ones keep their time stamps.
(cd "$src" && find . -path ./build -prune -o -path ./.git -prune -o -path ./dist -prune \
    -o -type f -print) |
    while IFS= read -r f; do
        if ! cmp -s "$src/$f" "$copy/$f"; then
            mkdir -p "$(dirname "$copy/$f")"
            cp "$src/$f" "$copy/$f"
        fi
    done

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$copy" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
[ -f "$WINEPREFIX/system.reg" ] || WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i
wineserver -p10 || true # when one is running already, it serves

build_all() {
    cmake --build "$build" --target core_tests coursesmith-cli coursesmith win32_tests \
        >"$work/build.log" 2>&1
}
# With an X display, the desktop program's tests too; with COURSESMITH_SCREEN_PROBE (the
# Linux build's screen_probe), its end-to-end run as well.
run_desktop_tests() {
    [ -n "${DISPLAY:-}" ] || return 0
    timeout 300 wine "$build/tests/windows/win32_tests.exe" --gtest_brief=1 >>"$work/test.log" 2>&1 &&
        if [ -n "${COURSESMITH_SCREEN_PROBE:-}" ]; then
            timeout 300 sh "$copy/tests/windows/desktop_test.sh" "$native" \
                "$build/win32/coursesmith.exe" "$COURSESMITH_SCREEN_PROBE" >>"$work/test.log" 2>&1
        fi
}
run_tests() {
    rm -rf "$WINEPREFIX"/drive_c/users/*/Temp/*
    timeout 300 wine "$build/tests/core_tests.exe" --gtest_brief=1 --gtest_fail_fast \
        >"$work/test.log" 2>&1 &&
        sh "$copy/tests/windows/cli_parity.sh" "$native" "$build/cli/coursesmith-cli.exe" \
            "$work/parity" >>"$work/test.log" 2>&1 &&
        run_desktop_tests
}

build_all || { echo "the unmutated tree does not build; see $work/build.log"; exit 2; }
run_tests || { echo "the unmutated suite fails; see $work/test.log"; exit 2; }

rm -f "$work/results"
grep '^windows-' "$copy/tests/mutants/mutants.txt" | while IFS= read -r line; do
    name=${line%% *}
    rest=${line#* }
    file=${rest%% *}
    case "$name" in *"$filter"*) ;; *) continue ;; esac
    cp "$copy/$file" "$work/original"
    if ! python3 "$src/tests/mutants/apply_fault.py" "$copy/$file" "${rest#* }"; then
        echo "INVALID  $name"
        continue
    fi
    if ! build_all; then
        verdict="killed (build)"
    elif run_tests; then
        verdict="SURVIVED"
    else
        verdict="killed"
    fi
    cp "$work/original" "$copy/$file"
    echo "$verdict  $name" | tee -a "$work/results"
done

[ -f "$work/results" ] || exit 0
echo "score: $(grep -c '^killed' "$work/results" || true) of $(wc -l <"$work/results") killed"
grep '^SURVIVED' "$work/results" || true
rm -f "$work/results"

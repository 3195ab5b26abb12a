#!/bin/sh
# The Windows installer under Wine: a silent install for the current user, the files, the
# Start menu entry and the registry keys it should leave, both programs started from the
# installed folder (the editor through the .trk open command, on a virtual X display), then
# a silent uninstall that removes all of that and nothing of the user's.
#
#   installer_test.sh SETUP_EXE VERSION WORK_DIR      (WINEPREFIX as the build sets it)
#
# Where Wine differs from Windows:
# - HKEY_CLASSES_ROOT does not show HKCU\Software\Classes, so ShellExecute (`start x.trk`)
#   finds no per-user association; the test reads the keys under HKCU and runs the open
#   command they hold instead.
# - WINEDLLOVERRIDES=winemenubuilder.exe=d (set by CMake) keeps Wine from copying the Start
#   menu entry and the association into the Linux desktop's menus and MIME database.
# - Wine's desktop (explorer.exe) shows every window of a Wine server on the display of the
#   program that started it. So the whole test runs on one display: the one make
#   test-windows runs the suite on, or without one a virtual display of its own, for which a
#   Wine server started without a display is waited out first.
# - With no window manager on the display, Alt+F4 reaches the editor as a sent key event,
#   which Wine's default window procedure turns into a close as Windows does.
set -u

setup=$1
version=$2
work=$3
for tool in xvfb-run xdotool; do
    if ! command -v $tool >/dev/null; then
        echo "SKIP: $tool is missing (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
if [ -z "${DISPLAY:-}" ]; then
    # A server that no program has used yet (wineserver -p) would never end: it has no
    # desktop either, so after a while the test goes on.
    timeout 30 wineserver -w
    INSTALLER_TEST_XVFB=1 exec xvfb-run -a sh "$0" "$@"
fi
rm -rf "$work"
mkdir -p "$work"
failures=0

fail() {
    printf 'FAIL: %s\n' "$*" # dash's echo would take the paths' backslashes for escapes
    failures=$((failures + 1))
}
# A Windows path as text, without the line end Wine's console programs add.
win() { "$@" | tr -d '\r'; }
# reg_value KEY [NAME]: the data of the value NAME (the default value without NAME).
reg_value() {
    if [ $# = 1 ]; then set -- "$1" /ve; else set -- "$1" /v "$2"; fi
    wine reg query "$@" 2>/dev/null | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p'
}
# expect WHAT ACTUAL EXPECTED
expect() { [ "$2" = "$3" ] || fail "$1 is '$2', not '$3'"; }

local_app_data=$(win wine cmd /c echo %LOCALAPPDATA%)
start_menu="$(win wine cmd /c echo %APPDATA%)\\Microsoft\\Windows\\Start Menu\\Programs"
dir_win="$local_app_data\\Programs\\CourseSmith"
dir=$(win winepath -u "$dir_win")
shortcut="$(win winepath -u "$start_menu")/CourseSmith.lnk"
classes='HKCU\Software\Classes'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\CourseSmith'
keys="$classes\\.trk $classes\\CourseSmith.Track $uninstall_key"
files="coursesmith.exe coursesmith-cli.exe README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt uninstall.exe"
# What an earlier run that stopped half-way left.
rm -rf "$dir" "$shortcut"
for key in $keys; do wine reg delete "$key" /f >/dev/null 2>&1; done

# Installed
wine "$setup" /S || fail "setup.exe /S exited with $?"
for f in $files; do
    [ -f "$dir/$f" ] || fail "$dir/$f was not installed"
done
[ -f "$shortcut" ] || fail "no Start menu entry $shortcut"
expect ".trk" "$(reg_value "$classes\\.trk")" "CourseSmith.Track"
expect "the track icon" "$(reg_value "$classes\\CourseSmith.Track\\DefaultIcon")" \
    "\"$dir_win\\coursesmith.exe\",-2"
open_command=$(reg_value "$classes\\CourseSmith.Track\\shell\\open\\command")
expect "the open command" "$open_command" "\"$dir_win\\coursesmith.exe\" \"%1\""
expect "DisplayName" "$(reg_value "$uninstall_key" DisplayName)" "CourseSmith"
expect "DisplayVersion" "$(reg_value "$uninstall_key" DisplayVersion)" "$version"
expect "DisplayIcon" "$(reg_value "$uninstall_key" DisplayIcon)" "\"$dir_win\\coursesmith.exe\",0"
expect "UninstallString" "$(reg_value "$uninstall_key" UninstallString)" \
    "\"$dir_win\\uninstall.exe\""
expect "QuietUninstallString" "$(reg_value "$uninstall_key" QuietUninstallString)" \
    "\"$dir_win\\uninstall.exe\" /S"

# The installed tool runs from its folder.
expect "coursesmith-cli --version" "$(cd "$dir" && win wine ./coursesmith-cli.exe --version)" \
    "coursesmith-cli $version"

# The installed editor, started as Explorer opens a .trk file: the open command with the
# track for %1, whose window must name the track and close on Alt+F4.
track="$work/opened.trk"
(cd "$dir" && wine ./coursesmith-cli.exe new "$(win winepath -w "$track")") ||
    fail "coursesmith-cli new could not write $track"
program=$(printf '%s\n' "$open_command" | sed -n 's/^"\([^"]*\)" "%1"$/\1/p')
wine "$(win winepath -u "$program")" "$(win winepath -w "$track")" &
pid=$!
id=$(timeout 60 xdotool search --sync --onlyvisible --name "^Tyrestorm CourseSmith.*opened\.trk" |
    head -n 1)
if [ -z "$id" ]; then
    fail "no editor window titled \"Tyrestorm CourseSmith ... opened.trk\" within 60 s"
else
    # Meanwhile installing again and uninstalling are refused and change nothing (the
    # uninstaller run in place, _?=, to give its exit code).
    wine "$setup" /S
    expect "setup.exe /S's exit code while the editor runs" $? 2
    wine "$dir/uninstall.exe" /S "_?=$dir_win"
    expect "uninstall.exe /S's exit code while the editor runs" $? 2
    [ -f "$dir/coursesmith-cli.exe" ] && wine reg query "$uninstall_key" >/dev/null 2>&1 ||
        fail "the refused uninstall removed something"
    xdotool key --window "$id" alt+F4 2>/dev/null # it warns of the missing window manager
    for i in $(seq 30); do
        kill -0 $pid 2>/dev/null || break
        sleep 0.5
    done
    kill -0 $pid 2>/dev/null && fail "the editor did not close on Alt+F4"
fi
kill $pid 2>/dev/null
wait $pid

# Uninstalled: everything above goes, a file of the user's in the folder stays. The
# uninstaller runs from a copy of itself in %TEMP% and returns at once (on Windows too), so
# the test waits for its work to be done: its last step is to remove its own key.
echo "mine" >"$dir/mine.txt"
wine "$dir/uninstall.exe" /S || fail "uninstall.exe /S exited with $?"
for i in $(seq 120); do
    wine reg query "$uninstall_key" >/dev/null 2>&1 || break
    sleep 0.5
done
expect "the folder after uninstalling" "$(ls -A "$dir" 2>/dev/null)" "mine.txt"
[ -e "$shortcut" ] && fail "the Start menu entry $shortcut stays"
for key in $keys; do
    wine reg query "$key" >/dev/null 2>&1 && fail "$key stays"
done
rm -rf "$dir"
# Wine's programs end before the display of their own goes.
[ -n "${INSTALLER_TEST_XVFB:-}" ] && timeout 30 wineserver -w

if [ $failures -ne 0 ]; then
    echo "$failures installer checks failed"
    exit 1
fi
echo "The installer installs, starts and uninstalls."

#!/bin/sh
# Recovery copies through the desktop program on a real X server: an edited track's copy
# appears while the editor runs, a running editor's copy is never offered to another one,
# and after a crash (SIGKILL) the next start offers it: Yes brings back the edit as it was
# (view, modified mark, and Save writes the same bytes as the replayed edit), No deletes it.
# Runs under xvfb-run; skipped (exit 77) when xdotool or an X server is missing.
set -eu
. "$(cd "$(dirname "$0")" && pwd)/lib.sh"
cli=$1 app=$2 probe=$3

begin_screen_test
# The copies go to a state folder of this run's own, never the user's.
export XDG_STATE_HOME="$work/state" QT_QPA_PLATFORM=xcb
folder="$XDG_STATE_HOME/coursesmith/recovery"

step() { echo "== $*"; }
# Runs the command every 0.2 s until it succeeds; after 20 s the test fails naming WHAT.
wait_for() {
    what=$1; shift; tries=0
    until "$@" >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ $tries -lt 100 ] || { echo "FAILED: $what did not happen"; exit 1; }
        sleep 0.2
    done
}
start() { "$app" --autosave 1 "$@" & pid=$!; pids="$pids $pid"; }
crash() { kill -KILL "$1"; wait "$1" || true; }
# The windows of process $1 named as $2 matches.
window() { xdotool search --all --onlyvisible --pid "$1" --name "$2"; }
main_title() { xdotool getwindowname "$(window "$1" '^Tyrestorm CourseSmith' | head -n 1)"; }
question_of() { window "$1" '^CourseSmith$'; }
title_is() { [ "$(main_title "$1")" = "$2" ]; }
has_copy() { set -- "$folder"/*.info; [ -f "$1" ] && [ -f "${1%.info}.trk" ]; }
no_copy() { ! ls "$folder" | grep -q -e '\.info$' -e '\.trk$'; }
# A track without pits or checkpoints: its Save asks whether to save it despite the flaws.
printf '%s\n' "command 1008" "press left 30 40" "move left 200 140" "release left 200 140" \
    "command 1018" "press left 150 250" "release left 150 250" \
    "command 1021" "press left 60 320" "press left 160 330" "press left 220 380" > make.txt
"$cli" replay make.txt --save track.trk >/dev/null && "$cli" render track.trk before.png

step "editor A edits track.trk and writes its recovery copy"
start track.trk; a=$pid
wait_for "A's window" title_is "$a" "Tyrestorm CourseSmith - track.trk"
wait_for "A's view on screen" "$probe" locate before.png
position=$("$probe" locate before.png)
x=${position% *} y=${position#* }
drag 100,100 130,110 170,130 220,170 260,220
echo "$gesture" > drag.txt
wait_for "A's recovery copy" has_copy

step "editor B, started while A runs, does not offer A's copy"
start; b=$pid
wait_for "B's window" main_title "$b"
sleep 2
! question_of "$b" >/dev/null || { echo "FAILED: B offered the copy of a running editor"; exit 1; }
has_copy || { echo "FAILED: A's copy went when B started"; exit 1; }
kill "$b"; wait "$b" || true

step "after A is killed, editor C offers the copy and Yes restores the edit"
crash "$a"
start; c=$pid
wait_for "the question in C" question_of "$c"
xdotool key Return
# The copy names the track by its absolute path, as a Load from the dialog does.
wait_for "C's title with the modified mark" title_is "$c" "Tyrestorm CourseSmith - $work/track.trk*"
"$cli" replay --track track.trk drag.txt --png after.png >/dev/null
wait_for "the restored view on screen" "$probe" compare after.png "$x" "$y" 400 400

step "Save writes the restored edit and the copy goes"
xdotool key ctrl+s
wait_for "the flaws question" question_of "$c"
xdotool key Return
wait_for "the save dialog" window "$c" '^Save As$'
xdotool type --delay 20 "$work/saved.trk"
xdotool key Return
wait_for "the saved title" title_is "$c" "Tyrestorm CourseSmith - $work/saved.trk"
"$cli" replay --track track.trk drag.txt --save expected.trk >/dev/null
cmp saved.trk expected.trk
wait_for "the copy removed after the save" no_copy

step "No deletes a left-over copy"
drag 300,300 320,320 350,330
wait_for "C's recovery copy" has_copy
session=$(basename "$folder"/*.info .info)
crash "$c"
start; d=$pid
wait_for "the question in D" question_of "$d"
xdotool key n
wait_for "the question in D answered" eval "! question_of $d"
case $(main_title "$d") in *'*') echo "FAILED: D's track is modified after No"; exit 1 ;; esac
wait_for "C's files deleted" eval "! ls '$folder/$session'.*"
echo "recovery copies are written, offered, restored and deleted as they should be"

#!/bin/sh
# The Windows desktop program under Wine on an X display: the view shows on the screen what
# the command-line renderer draws at 1x and 2x, a real mouse drag (through the X server)
# edits the track as the same gesture replayed does, the history keys take it back and make
# it again, the properties dialog's water level shows in the picture, and Save through the
# system's file dialog writes the file a replayed save writes.
#   desktop_test.sh LINUX_CLI COURSESMITH_EXE SCREEN_PROBE
# Skipped (exit 77) without xdotool or an X display. Wine differs from Windows here in
# two ways the checks allow for: on an X server without a window manager the windows have
# no frames (the view is found by its picture, not by its place), and a window appears
# only after Wine has loaded what it needs, so every step waits for what it expects.
set -eu
. "$(cd "$(dirname "$0")/../e2e" && pwd)/lib.sh"
cli=$1
app=$2
probe=$3

begin_screen_test

# Waits up to 30 s for a file, or for a window of that exact name to show.
wait_for_file() {
    for _ in $(seq 300); do [ -s "$1" ] && return 0; sleep 0.1; done
    echo "$1 was not written"; return 1
}
wait_for_window() {
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "no window \"$1\""; return 1
}
# The view's top-left 400 x 400 pixels equal those of a picture within 10 s (a window that
# closed over the view leaves it to be painted again).
same_view() {
    for _ in $(seq 50); do
        "$probe" compare "$1" "$x" "$y" 400 400 2>/dev/null && return 0
        sleep 0.2
    done
    echo "the view differs from $1"; exit 1
}

write_track_script make.txt
"$cli" replay make.txt --save track.trk >/dev/null
"$cli" render track.trk before.png

# The program's own recovery folder stays inside this run's folder.
LOCALAPPDATA=$(winepath -w "$work") wine "$app" track.trk >wine.log 2>&1 &
app_pid=$! pids=$!
wait_for_window "Tyrestorm CourseSmith - track.trk"
sleep 1
position=$("$probe" locate before.png 2>/dev/null)
x=${position% *}
y=${position#* }
echo "view image at $x $y"
same_view before.png

# A Tarmac drag with the real mouse, then the history keys.
drag 100,100 130,110 170,130 220,170 260,220
sleep 0.5
echo "$gesture" | "$cli" replay --track track.trk - --png after.png >/dev/null
same_view after.png
for step in ctrl+z:before ctrl+y:after ctrl+z:before ctrl+shift+z:after; do
    xdotool key "${step%:*}"
    sleep 0.5
    same_view "${step#*:}.png"
done
echo "the drag and the history keys show as replay draws them"

# Ctrl+P opens the properties dialog with the water level slider focused; End takes it to
# 255 and Enter is OK.
printf '%s\n' "$gesture" "answer properties water_level=255" "command 1039" > water.txt
"$cli" replay --track track.trk water.txt --png water.png --save water.trk >/dev/null
xdotool key ctrl+p
wait_for_window "Track properties"
sleep 1
xdotool key End
sleep 0.3
xdotool key Return
sleep 1
same_view water.png
echo "the water level from the properties dialog shows"

# Ctrl+S: the question about the track's flaws (Yes), then the system's Save dialog, whose
# name field holds the track's name, selected: a new name replaces it.
xdotool key ctrl+s
wait_for_window "CourseSmith"
sleep 1
xdotool key Return
wait_for_window "Save As"
sleep 1
xdotool type --delay 50 saved
xdotool key Return
wait_for_file saved.trk
sleep 0.5
cmp saved.trk water.trk
wait_for_window "Tyrestorm CourseSmith - $(winepath -w "$work/saved.trk" | sed 's/[\\.]/\\&/g')"
echo "Save through the file dialog wrote what replay saves"

# Ctrl+wheel with the pointer on the view's first pixel: 2x, that pixel staying in place.
"$cli" render saved.trk zoom2.png --zoom 2
xdotool mousemove "$x" "$y" sleep 0.2 keydown ctrl click 4 keyup ctrl sleep 0.5 \
    mousemove $((x + 480)) $((y + 480))
sleep 0.5
same_view zoom2.png
echo "the view at 2x shows what the renderer draws at 2x"

# The saved track closes without a question, and the program ends.
xdotool key alt+F4
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then echo "the program did not close"; exit 1; fi
wait "$app_pid"
pids=""
echo "closed"

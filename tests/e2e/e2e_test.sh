#!/bin/sh
# The desktop program on a real X server: the view shows on the screen what the command-line
# renderer draws, a real mouse drag edits the track as the same gesture replayed does, and
# the history keys take it back and make it again.
# Runs under xvfb-run; skipped (exit 77) when xdotool or an X server is missing.
set -eu
. "$(cd "$(dirname "$0")" && pwd)/lib.sh"
cli=$1
app=$2
probe=$3

begin_screen_test

write_track_script make.txt
"$cli" replay make.txt --save track.trk >/dev/null
"$cli" render track.trk before.png

QT_QPA_PLATFORM=xcb "$app" track.trk &
pids=$!
xdotool search --sync --onlyvisible --name "Tyrestorm CourseSmith" >/dev/null
sleep 1

# Where the view's image starts on the screen, and the view compared with the renderer.
position=$(QT_QPA_PLATFORM=xcb "$probe" locate before.png)
x=${position% *}
y=${position#* }
echo "view image at $x $y"
QT_QPA_PLATFORM=xcb "$probe" compare before.png "$x" "$y" 400 400

# A Tarmac drag with the real mouse, one move at a time so that none is merged.
drag 100,100 130,110 170,130 220,170 260,220
sleep 0.5

echo "$gesture" | "$cli" replay --track track.trk - --png after.png >/dev/null
QT_QPA_PLATFORM=xcb "$probe" compare after.png "$x" "$y" 400 400

# The history keys: each press takes the drag back or makes it again, and the view follows.
for step in ctrl+z:before ctrl+shift+z:after ctrl+z:before ctrl+y:after; do
    xdotool key "${step%:*}"
    sleep 0.5
    echo "after ${step%:*}"
    QT_QPA_PLATFORM=xcb "$probe" compare "${step#*:}.png" "$x" "$y" 400 400
done
echo "the screen shows what the renderer and replay draw"

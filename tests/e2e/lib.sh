# Shared by the end-to-end scripts: their start and end, and real mouse input through the
# view on the screen, whose image starts at ($x, $y).

# The start of every test on the screen: skipped (exit 77) without xdotool or an X display;
# then a folder of the test's own, $work, as the current one. At the end the programs whose
# processes $pids lists are stopped and the folder is removed.
begin_screen_test() {
    command -v xdotool >/dev/null 2>&1 || { echo "xdotool is not installed"; exit 77; }
    [ -n "${DISPLAY:-}" ] || { echo "no X display"; exit 77; }
    work=$(mktemp -d) pids=""
    trap end_screen_test EXIT
    cd "$work"
}
end_screen_test() {
    for p in $pids; do kill -KILL "$p" 2>/dev/null || true; done
    rm -rf "$work"
}

# A Tarmac drag with the real mouse through the view points X,Y ...; $gesture gets the same
# gesture as a replay script.
drag() {
    px=${1%,*}; py=${1#*,}; shift
    xdotool mousemove $((x + px)) $((y + py)) sleep 0.1 mousedown 1 sleep 0.1
    gesture=$(printf '%s\n' "command 1008" "move none $px $py" "press left $px $py")
    for point in "$@"; do
        px=${point%,*}; py=${point#*,}
        xdotool mousemove $((x + px)) $((y + py)) sleep 0.1
        gesture=$(printf '%s\n' "$gesture" "move left $px $py")
    done
    xdotool mouseup 1
    gesture=$(printf '%s\n' "$gesture" "release left $px $py")
}

# A replay script for a track with some character: painted surfaces, a hill, objects, a
# checkpoint and a line.
write_track_script() {
    cat > "$1" <<'SCRIPT'
command 1008
press left 30 40
move left 120 60
move left 200 140
release left 200 140
command 1011
press left 300 80
move left 330 200
release left 330 200
command 1018
press left 150 250
release left 150 250
command 1019
kind 5
move none 260 300
press left 260 300
release left 260 300
command 1020
press left 80 200
move left 140 230
release left 140 230
command 1021
press left 60 320
press left 160 330
press left 220 380
SCRIPT
}

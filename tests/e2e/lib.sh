# Shared by the end-to-end scripts: real mouse input through the view on the screen, whose
# image starts at ($x, $y).

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

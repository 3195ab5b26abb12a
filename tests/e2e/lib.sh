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

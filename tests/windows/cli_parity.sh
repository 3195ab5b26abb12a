#!/bin/sh
# The Windows build of coursesmith-cli, run under Wine, against the Linux build: every
# command below runs with both, each in a folder of its own, and must give the same exit
# code, the same standard output (byte for byte where it carries a file; line ends aside
# where it is text), the same standard error (line ends and the system's wording of a
# reason aside) and, at the end, the same files under the same names.
#
#   cli_parity.sh LINUX_CLI WINDOWS_CLI WORK_DIR      (WINEPREFIX as the build sets it)
set -u

native=$1
windows=$2
work=$3
rm -rf "$work"
# A Wine server that stays up between the runs (until 10 s after the last), so that each
# start of the Windows program does not set up Wine again.
wineserver -p10
mkdir -p "$work/linux/Pistes" "$work/windows/Pistes"
failures=0

cat >"$work/script.txt" <<'EOF'
command 1008
slider 1026 4
press left 100 100
move left 140 120
move left 180 140
move left 220 160
release left 220 160
command 1023
move none 300 300
press left 300 300
release left 300 300
print properties
EOF
# A script whose only output is the track it saves to standard output.
printf 'command 1010\r\npress left 50 60\r\nmove left 90 60\r\nmove left 130 60\r\nrelease left 130 60\r\n' \
    >"$work/quiet.txt"

# check NAME WHAT: the two runs' WHAT (rc, out, err) must agree.
check() {
    if ! cmp -s "$work/$1.linux.$2" "$work/$1.windows.$2"; then
        echo "FAIL $1: the $2 differs"
        diff "$work/$1.linux.$2" "$work/$1.windows.$2" | head -n 10
        failures=$((failures + 1))
    fi
}

# run NAME text|binary INPUT ARGUMENTS...: the command in both folders, standard input
# from INPUT (a file in WORK_DIR, or /dev/null).
run() {
    name=$1 kind=$2 input=$3
    shift 3
    (cd "$work/linux" && "$native" "$@" <"$input" >"../$name.linux.out" 2>"../$name.linux.err")
    echo $? >"$work/$name.linux.rc"
    (cd "$work/windows" && wine "$windows" "$@" <"$input" >"../$name.windows.out" 2>"../$name.windows.err")
    echo $? >"$work/$name.windows.rc"
    for side in linux windows; do
        if [ "$kind" = text ]; then
            tr -d '\r' <"$work/$name.$side.out" >"$work/$name.$side.tmp"
            mv "$work/$name.$side.tmp" "$work/$name.$side.out"
        fi
        tr -d '\r' <"$work/$name.$side.err" | sed 's/ ([^()]*)$//' >"$work/$name.$side.tmp"
        mv "$work/$name.$side.tmp" "$work/$name.$side.err"
    done
    check "$name" rc
    check "$name" out
    check "$name" err
}

run version text /dev/null --version
run new text /dev/null new n.trk
run info text /dev/null info n.trk
run info-json binary /dev/null info --json n.trk
run validate-flawed text /dev/null validate n.trk
run validate-missing text /dev/null validate missing.trk
run convert text /dev/null convert n.trk converted.trk
run convert-to-stdout binary /dev/null convert n.trk -
run render text /dev/null render n.trk view.png --zoom 2 --hide ai
run render-to-stdout binary /dev/null render n.trk - --size 100
run export-land text /dev/null export-land n.trk land.bmp
run export-heights text /dev/null export-heights n.trk heights.bmp
run import-land text /dev/null import-land n.trk land.bmp imported.trk
run replay text /dev/null replay --track n.trk ../script.txt --save replayed.trk --png replayed.png
run replay-stdin binary "$work/quiet.txt" replay --track n.trk - --save -
run non-ascii-name text /dev/null new "Pistes/Côte d'Azur.trk"
run non-ascii-info binary /dev/null info --json "Pistes/Côte d'Azur.trk"
# The track as a JSON document: written to a file and to standard output alike, read back,
# and a document refused with its one line (a character outside the code page, named).
run convert-to-json text /dev/null convert --to json replayed.trk "Pistes/Côte d'Azur.json"
run json-to-stdout binary /dev/null convert --to json replayed.trk -
run convert-from-json text /dev/null convert "Pistes/Côte d'Azur.json" from-json.trk
run info-of-json text /dev/null info "Pistes/Côte d'Azur.json"
sed 's/"author": ""/"author": "Ω"/' "$work/linux/Pistes/Côte d'Azur.json" >"$work/refused.json"
run refused-json text /dev/null convert ../refused.json refused.trk
run missing-folder text /dev/null new no/such/folder.trk
run folder-as-output text /dev/null convert n.trk Pistes
run unreadable-input text /dev/null convert missing.trk out.trk
run diff-same text /dev/null diff n.trk converted.trk
run diff-changed text /dev/null diff --png diff.png n.trk replayed.trk
run diff-to-stdout binary /dev/null diff replayed.trk n.trk --png -
run diff-unreadable text /dev/null diff n.trk missing.trk

# The same files, under the same names.
if ! diff -r "$work/linux" "$work/windows" >"$work/tree.diff"; then
    echo "FAIL: the files differ"
    head -n 20 "$work/tree.diff"
    failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures differences between the Linux and the Windows program"
    exit 1
fi
echo "the Linux and the Windows program agree"

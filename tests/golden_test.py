#!/usr/bin/env python3
# The command line's exact output: every case of the table below runs coursesmith-cli one or
# more times in one scratch folder and records, for each run, the arguments, the exit code,
# standard output, standard error and the names of the files the run created. The record
# must equal tests/golden/CASE.txt byte for byte. The tracks the cases read are built by the
# first cases, with `replay --save`, so the replay transcripts and the tracks are checked
# together. `info --json` is also parsed back and compared with the tracks' known values.
#
#   python3 tests/golden_test.py CLI [--update]
#
# After a deliberate change of the output, rewrite the files with --update (or
# UPDATE_GOLDEN=1 ctest -R golden) and review the difference before committing it.
# In the records of track documents (`info --json`, `convert --to json`) the land map and
# height grid are given by their SHA-256.
import hashlib
import json
import os
import re
import struct
import subprocess
import sys
import tempfile

GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "golden")

# Full track: every list non-empty, every property away from its default, texts with a
# quote, backslashes, a tab, line breaks, a lone CR, an escape character, characters of
# Windows-1252 (é, €, ü) and two outside it (Ω, →), which are stored as "?".
FULL_AUTHOR = 'Ren\u00e9e "Q" \\\tx \u20ac \u03a9'
FULL_COMMENTS = 'line one\nzwei\t\u00fc\r\\"x"\x1b\u2192end'


def escaped(text):  # a replay text value: the escapes of docs/replay.md
    table = {"\\": "\\\\", " ": "\\s", "\t": "\\t", "\n": "\\n", "\r": "\\r"}
    return "".join(table.get(c, c) for c in text)


BUILD_FULL = f"""# the full track: properties, land, heights and every kind of element
answer properties water_level=40 view_angle=200 rotation=-135 zoom=90 world_size=77 sf_line=0 \
author={escaped(FULL_AUTHOR)} comments={escaped(FULL_COMMENTS)}
command 1003                 # New takes the answer
print properties
command 1008                 # Tarmac, brush size 15
slider 1026 3
press left 100 100
move left 140 100
move left 180 120
release left 180 120
command 1018                 # HMap adjust
press left 300 300
release left 300 300
command 1019                 # Object: a palm tree, turned
kind 8
move none 250 60
press right 250 60
move right 262 75
release right 262 75
press left 250 60
release left 250 60
command 1023                 # Pit: two, the first turned
move none 120 400
press right 120 400
move right 127 393
release right 127 393
press left 120 400
release left 120 400
move none 200 400
press left 200 400
release left 200 400
command 1020                 # Checkpoints: drawn from press to release
press left 50 200
release left 90 230
press left 400 200
release left 420 260
command 1021                 # AI line
press left 100 300
release left 100 300
press left 150 310
release left 150 310
press left 200 330
release left 200 330
command 1022                 # AI pit line
press left 110 390
release left 110 390
press left 210 395
release left 210 395
print counts
"""

# The second track, from a script with CR LF line ends: the largest author (30 characters),
# world size 0, the S/F line, the extreme rotation, a comment of CR LF and a lone CR.
SMALL_AUTHOR = "\u00c6" * 28 + "\\\t"
BUILD_SMALL = "\r\n".join([
    "answer properties world_size=0 rotation=180 sf_line=1 view_angle=0 zoom=255 water_level=255 "
    f"author={escaped(SMALL_AUTHOR)} comments=\\r\\n\\s\\r\u00ff",
    "command 1003",
    "kind 0                      # a start: the oldest start position makes way",
    "command 1019",
    "press left 500 500",
    "release left 500 500",
    "command 1023",
    "move none 60 60",
    "press left 60 60",
    "release left 60 60",
    "command 1020",
    "press left 10 10",
    "release left 30 10",
    "press left 10 40",
    "release left 10 60",
    "command 1021",
    "press left 10 100",
    "release left 10 100",
    "press left 60 100",
    "release left 60 100",
    "press left 60 160",
    "release left 60 160",
    "command 1022",
    "press left 55 60",
    "release left 55 60",
    "press left 100 60",
    "release left 100 60",
    "print properties",
    "print counts",
    "",
])

COMMANDS = ["new", "info", "validate", "convert", "render", "export-land", "export-heights",
            "import-land", "import-heights", "import-lap", "replay",
            "diff"]


def replay_errors():
    """One run per faulty line: what is wrong and the line, by its number."""
    lines = [
        "frob\a" + "x" * 90,
        "command 999", "command x", "check 1003 1", "check 1031 2", "unfocus 5", "kind 25",
        "kind -1", "slider 1026 0", "slider 1028 11", "slider 1 1", "press middle 1 2",
        "move up 1 2", "release left 1", "wait -1", "print pixel 512 0", "print nothing",
        "print counts 1", "history back", "answer", "answer open", "answer maybe",
        "answer yes please", "answer start now",
        "answer properties water_level=256", "answer properties water_level=-1",
        "answer properties view_angle=256", "answer properties zoom=256",
        "answer properties world_size=256", "answer properties rotation=-181",
        "answer properties rotation=181", "answer properties sf_line=2",
        "answer properties zoom=1 zoom=2", "answer properties zoom", "answer properties speed=1",
        "answer properties author=a\\", "answer properties author=a\\x",
        "answer properties author=" + "\u00e9" * 31,
        "answer properties comments=" + "c" * 499 + "\\n",
        "answer changes", "answer changes keep", "drop", "close now",
    ]
    # Line 3: a comment line and a blank line come first.
    return [(["replay", "e.txt"], {"e.txt": "# errors\n\n" + line + "\nprint counts\n"})
            for line in lines]


def lap_file(track):
    """track with a recorded lap of six samples behind its game data."""
    offset = struct.unpack_from("<I", track, 4)[0]
    body = track[: offset + 9625]
    records = b"".join(struct.pack("<hhhhhh", x, 0, y, 0, 0, 0)
                       for x, y in [(3000, 3000), (6000, 3000), (9000, 6000)])
    return body + struct.pack("<H", 6) + records


def diff_inputs(folder):
    """full.trk's files changed one way each, for the diff case (land.bmp and heights.bmp are
    its exports): one land cell, one height sample, objects moved, turned and changed in kind
    and a checkpoint's end moved, an object taken from the middle of the list, and the last
    object twice."""
    def patch(name, source, change):
        with open(os.path.join(folder, source), "rb") as f:
            data = bytearray(f.read())
        change(data)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)

    def cell(data):  # (101, 100), the low nibble of its byte: tarmac to kerb
        data[118 + (511 - 100) * 256 + 50] = data[118 + (511 - 100) * 256 + 50] & 0xF0 | 11

    def sample(data):  # column 10, row 20
        data[1078 + (63 - 20) * 64 + 10] += 16

    def objects_at(data):  # where the object records begin
        return 20 + 2 * struct.unpack_from("<I", data, 16)[0] + 2 + 4096 + 2

    def moved(data):  # records: kind, 0, x, y and angle, the coordinates in half units
        at = objects_at(data)
        x, y = struct.unpack_from("<HH", data, at + 8 * 6 + 2)
        struct.pack_into("<HH", data, at + 8 * 6 + 2, x + 20, y + 10)  # 10 right, 5 up
        struct.pack_into("<H", data, at + 8 * 1 + 6, 7854)  # turned 45 degrees
        data[at + 8 * 2] = 6  # a bush
        pits = at + 8 * struct.unpack_from("<H", data, at - 2)[0]
        second_end = pits + 1 + 6 * data[pits] + 1 + 8 + 4
        struct.pack_into("<H", data, second_end, struct.unpack_from("<H", data, second_end)[0] + 20)

    def removed(data):
        at = objects_at(data)
        struct.pack_into("<H", data, at - 2, struct.unpack_from("<H", data, at - 2)[0] - 1)
        struct.pack_into("<I", data, 4, struct.unpack_from("<I", data, 4)[0] - 8)
        del data[at + 8 * 3: at + 8 * 4]

    def doubled(data):
        at = objects_at(data)
        count = struct.unpack_from("<H", data, at - 2)[0]
        struct.pack_into("<H", data, at - 2, count + 1)
        struct.pack_into("<I", data, 4, struct.unpack_from("<I", data, 4)[0] + 8)
        data[at + 8 * count: at + 8 * count] = data[at + 8 * (count - 1): at + 8 * count]

    patch("cell.bmp", "land.bmp", cell)
    patch("sample.bmp", "heights.bmp", sample)
    patch("moved.trk", "full.trk", moved)
    patch("removed.trk", "full.trk", removed)
    patch("doubled.trk", "full.trk", doubled)


def checked_json(run, summary):
    """info --json parsed back, against the full track's known values and its summary."""
    track = json.loads(run)
    # The texts as stored: Ω and → became "?", and the line break CR LF.
    expect = {"format": "coursesmith-track", "format_version": 1, "trk_version": 261,
              "world_size": 77, "water_level": 40, "view_angle": 200, "rotation": -135,
              "zoom": 90, "sf_line": 0, "author": FULL_AUTHOR.replace("\u03a9", "?"),
              "comments": FULL_COMMENTS.replace("\u2192", "?").replace("\n", "\r\n")}
    problems = [f"{k}: {track.get(k)!r} != {v!r}" for k, v in expect.items() if track.get(k) != v]
    counts = {"objects": 7, "pits": 2, "checkpoints": 2, "ai_line": 4, "ai_pit_line": 4}
    problems += [f"{k}: {len(track[k])} entries, not {n}" for k, n in counts.items()
                 if len(track[k]) != n]
    palm = track["objects"][6]
    if [palm["kind"], palm["x"], palm["y"]] != [4, 250, 60] or palm["angle"] == 0:
        problems.append(f"the palm tree: {palm}")
    if [[p["x"], p["y"]] for p in track["pits"]] != [[120, 400], [200, 400]] or \
            track["pits"][0]["angle"] == 0:
        problems.append(f"pits: {track['pits']}")
    if [list(c.values()) for c in track["checkpoints"]] != [[50, 200, 90, 230],
                                                            [400, 200, 420, 260]]:
        problems.append(f"checkpoints: {track['checkpoints']}")
    land, heights = track["land"], track["heights"]
    if [len(row) for row in land] != [512] * 512 or land[100][100] != "0" or land[0][0] != "2":
        problems.append("land: tarmac at (100, 100) on grass")
    if [len(row) for row in heights] != [64] * 64 or heights[37][37] <= 128 or heights[0][0] != 128:
        problems.append("heights: raised at (300, 300), level at (0, 0)")
    # The summary says the same.
    for label, value in [("world size", 77), ("water level", 40), ("objects", 7), ("pits", 2),
                         ("checkpoints", 2), ("AI line", "4 points"), ("AI pit line", "4 points"),
                         ("author", expect["author"])]:
        if not re.search(f"^{label:<15}{re.escape(str(value))}( \\(|$)", summary, re.M):
            problems.append(f"summary line {label!r}")
    return problems


# name: runs, each (arguments, {file: text or bytes written first}, standard input).
CASES = {
    "replay-build-full": [(["replay", "full.txt", "--save", "full.trk"], {"full.txt": BUILD_FULL})],
    "replay-build-small-crlf": [(["replay", "-", "--save", "small.trk"], {}, BUILD_SMALL)],
    "info-full": [(["info", "full.trk"],)],
    "info-json-full": [(["info", "--json", "full.trk"],)],
    "info-small": [(["info", "small.trk"],), (["info", "--json", "small.trk"],)],
    "info-flawed": [(["new", "flawed.trk"],), (["info", "flawed.trk"],),
                    (["info", "--json", "flawed.trk"],)],
    "exit-codes": [
        ([],), (["frobnicate"],),
        (["new", "a.trk", "b.trk"],), (["new", "no/x.trk"],),
        (["info"],), (["info", "--xml", "a.trk"],), (["info", "bad.trk"], {"bad.trk": "abc"}),
        (["info", "missing.trk"],),
        (["validate", "full.trk"],), (["validate", "full.trk", "flawed.trk", "small.trk"],),
        (["validate", "flawed.trk", "missing.trk", "full.trk"],), (["validate"],),
        (["validate", "-x", "full.trk"],),
        (["convert", "full.trk", "converted.trk"],), (["convert", "full.trk"],),
        (["convert", "newer.trk", "out.trk"],), (["convert", "full.trk", "no/out.trk"],),
        (["convert", "full.trk", "full.json"],), (["info", "full.json"],),
        (["convert", "full.json", "back.trk"],), (["convert", "--to", "json", "small.trk", "-"],),
        (["convert", "--to", "xml", "full.trk", "out.json"],), (["convert", "--to"],),
        (["convert", "--to=trk", "full.trk", "eq.trk"],), (["info", "--json=no", "full.trk"],),
        (["convert", "later", "out.trk"],
         {"later": ' \n{"format": "coursesmith-track", "format_version": 2, "land": []}'}),
        (["convert", "broken.json", "out.json"],
         {"broken.json": '{"format": "coursesmith-track",\n  "format_version": 1,,\n}'}),
        (["convert", "full.trk", "no/out.json"],),
        (["render", "full.trk", "full.png", "--zoom", "2", "--hide", "ai"],),
        (["render", "full.trk", "out.png", "--zoom", "3"],),
        (["render", "full.trk", "out.png", "--blend", "11"],),
        (["render", "full.trk", "out.png", "--hide", "land"],),
        (["render", "full.trk", "out.png", "--size", "0"],),
        (["render", "full.trk", "out.png", "--blend"],), (["render", "full.trk"],),
        (["render", "missing.trk", "out.png"],), (["render", "full.trk", "no/out.png"],),
        (["export-land", "full.trk", "land.bmp"],), (["export-land", "full.trk"],),
        (["export-land", "missing.trk", "out.bmp"],), (["export-land", "full.trk", "no/out.bmp"],),
        (["export-heights", "full.trk", "heights.bmp"],), (["export-heights", "a", "b", "c"],),
        (["export-heights", "bad.trk", "out.bmp"],),
        (["import-land", "small.trk", "land.bmp", "land.trk"],), (["import-land", "a", "b"],),
        (["import-land", "full.trk", "bad.bmp", "out.trk"], {"bad.bmp": "BM not a bitmap"}),
        (["import-land", "missing.trk", "land.bmp", "out.trk"],),
        (["import-heights", "small.trk", "heights.bmp", "heights.trk"],),
        (["import-heights", "full.trk", "bad.bmp", "out.trk"],),
        (["import-heights", "full.trk", "none.bmp", "out.trk"],),
        (["import-heights", "--x", "a", "b", "c"],),
        (["import-lap", "small.trk", "lap.trk", "lap-line.trk"],), (["info", "lap-line.trk"],),
        (["import-lap", "full.trk", "full.trk", "out.trk"],), (["import-lap", "full.trk"],),
        (["import-lap", "none.trk", "lap.trk", "out.trk"],),
        (["replay", "ok.txt"], {"ok.txt": "print counts\n"}), (["replay"],),
        (["replay", "a.txt", "b.txt"],), (["replay", "--save"],), (["replay", "missing.txt"],),
        (["replay", "folder"],), (["replay", "ok.txt", "--save", "no/out.trk"],),
        (["replay", "ok.txt", "--png", "no/out.png"],),
        (["diff", "full.trk"],), (["diff", "--png"],), (["diff", "--frob", "a.trk", "b.trk"],),
        (["diff", "missing.trk", "full.trk"],), (["diff", "full.trk", "bad.trk"],),
        (["diff", "missing.trk", "bad.trk"],),
        (["diff", "--png", "no/out.png", "full.trk", "converted.trk"],),
    ],
    "help": [([c, "--help"],) for c in COMMANDS] + [
        (["--help"],), (["-h"],), (["help"],), (["help", "info"],), (["help", "nothing"],),
        (["--version"],), (["new", "out.trk", "-h"],), (["info", "--xml", "--help"],),
        (["convert", "--", "flawed.trk", "--json"],), (["info", "--", "--json"],),
        (["convert", "--", "--json", "-h"],), (["info", "--", "-h"],)],
    "replay-transcript": [
        (["replay", "--track", "full.trk", "t.txt"], {"t.txt": (
            "print title\nprint file\nprint counts\nprint enabled 1035\nslider 1026 10\nprint brush\nslider 1027 0\nprint rope\n"
            "slider 1028 10\nprint blend\ncommand 1021\nprint tool\nprint modified\n"
            "press left 300 100\nrelease left 300 100\nprint counts\nprint modified\n"
            "print history\nhistory undo\nprint history\nprint counts\nhistory redo\n"
            "answer properties author=No#1  # a '#' inside a word belongs to it\n"
            "command 1039\nprint properties\n")}),
        (["replay", "--track", "gone.trk", "t.txt"], {"t.txt": (  # the question, then a path
            "print counts\nprint checked 1031\nprint pixel 31 10\ncommand 1031\n"
            "print checked 1031\nprint pixel 31 10\ncheck 1031 1\nprint pixel 31 10\n"
            "answer yes\nanswer save my track #1.trk  \ncommand 1005\n"
            "print file\nprint title\nprint modified\n")}),
        (["replay", "t.txt", "--save", "never.trk"], {"t.txt": (  # the wrong kind: its line
            "answer cancel\nanswer open a.trk\ncommand 1039\nprint counts\n"
            "command 1039 # meets the path\nprint counts\n")}),
        (["replay", "t.txt", "--save", "saved.trk"], {"t.txt": (  # unused answers: a warning
            "print counts\nanswer yes\n\nanswer\tsave  x.trk\nanswer cancel\n")}),
        (["replay", "t.txt"], {"t.txt": (  # every escape, back and forth
            "answer properties author=\\\\\\s\\t\\n\\r\\\\ comments=a\\r\\nb\\s\\\\\\t\n"
            "command 1039\nprint properties\n")}),
        (["replay", "t.txt"], {"t.txt": "#" + "x" * 16383 + "\nprint counts\n"}),
        (["replay", "t.txt"], {"t.txt": (  # the longest comments, a line break counting two
            "answer properties comments=" + "c" * 498 + "\\n\ncommand 1039\nprint counts\n")}),
        (["replay", "t.txt"], {"t.txt": "print counts\n#" + "x" * 16384 + "\nprint counts\n"}),
        (["replay", "/dev/zero"],),
        (["replay", "--track", "full.trk", "t.txt", "--save", "closed.trk"], {"t.txt": (
            # no change, no question; a path at the front of the queue: Discard, path kept;
            # Cancel and a cancelled Save keep the track; a Save then the drop; close ends it
            "command 1010\npress left 5 5\nrelease left 5 5\nanswer properties\n"
            "command 1003\nprint modified\ncommand 1008\npress left 5 5\nrelease left 5 5\n"
            "answer open full.trk\ncommand 1004\nprint title\npress left 5 5\n"
            "release left 5 5\nanswer changes cancel\ndrop small.trk\nprint title\n"
            "answer changes save\nanswer cancel\nclose\nprint modified\n"
            "answer changes save\nanswer save kept.trk\ndrop small.trk\n"
            "print title\nprint modified\npress left 5 5\nrelease left 5 5\n"
            "answer changes cancel\ncommand 1003\nanswer changes discard\nclose\n"
            "print never\n")}),
    ],
    "replay-errors": replay_errors(),
    # After exit-codes, from whose files diff_inputs makes its tracks and bitmaps.
    "diff": [
        (["diff", "full.trk", "converted.trk"],), (["diff", "full.trk", "full.trk"],),
        (["convert", "full.trk", "same.json"],), (["diff", "full.trk", "same.json"],),
        (["diff", "same.json", "moved.trk"],),
        (["import-land", "full.trk", "cell.bmp", "cell.trk"],),
        (["diff", "full.trk", "cell.trk"],),
        (["import-heights", "full.trk", "sample.bmp", "sample.trk"],),
        (["diff", "full.trk", "sample.trk"],),
        (["diff", "full.trk", "moved.trk"],), (["diff", "moved.trk", "full.trk"],),
        (["diff", "full.trk", "removed.trk"],), (["diff", "removed.trk", "full.trk"],),
        (["diff", "full.trk", "doubled.trk"],),
        (["replay", "--track", "full.trk", "p.txt", "--save", "props.trk"], {"p.txt": (
            "answer properties water_level=60 rotation=90 sf_line=1 author=Ren\u00e9\n"
            "command 1039\n")}),
        (["diff", "full.trk", "props.trk"],),
        (["diff", "flawed.trk", "full.trk"],), (["diff", "full.trk", "small.trk"],),
        (["replay", "--track", "flawed.trk", "l.txt", "--save", "line.trk"], {"l.txt": (
            "command 1021\n" + "".join(f"press left {10 + 20 * i} 100\nrelease left {10 + 20 * i} 100\n"
                                       for i in range(26)))}),
        (["diff", "flawed.trk", "line.trk"],),
        (["diff", "--png", "marked.png", "full.trk", "moved.trk"],),
    ],
}
JSON_CHECKS = {"info-json-full": ("info-full", checked_json)}


def run_case(cli, folder, runs):
    record, outputs = b"", []
    for run in runs:
        args = run[0]
        files = run[1] if len(run) > 1 else {}
        stdin = run[2] if len(run) > 2 else None
        for name, content in files.items():
            data = content if isinstance(content, bytes) else content.encode("utf-8")
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        before = set(os.listdir(folder))
        done = subprocess.run([cli] + args, cwd=folder, capture_output=True,
                              input=stdin.encode("utf-8") if stdin is not None else b"",
                              env=dict(os.environ, LC_ALL="C"), timeout=120)
        out = done.stdout
        outputs.append(out)
        land = out.find(b'\n  "land": [\n')
        if land >= 0:
            digest = hashlib.sha256(out[land:]).hexdigest()
            out = out[:land + 1] + b'  "land": ..., "heights": ... (sha256 %s)\n' % digest.encode()
        created = sorted(set(os.listdir(folder)) - before)
        record += b"$ coursesmith-cli " + " ".join(repr(a) if re.search(r"[\s'\"#]", a) or not a
                                                   else a for a in args).encode() + b"\n"
        record += b"exit %d\n" % done.returncode
        for label, data in ((b"stdout", out), (b"stderr", done.stderr)):
            if data:
                record += b"--- " + label + b"\n" + data
                if not data.endswith(b"\n"):
                    record += b"\n(no line break at the end)\n"
        if created:
            record += b"--- created: " + " ".join(created).encode() + b"\n"
        record += b"\n"
    return record, outputs


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: golden_test.py CLI [--update]")
    cli = os.path.abspath(sys.argv[1])
    update = "--update" in sys.argv[2:] or os.environ.get("UPDATE_GOLDEN") == "1"
    failures = 0
    with tempfile.TemporaryDirectory(prefix="cs-golden-") as folder:
        os.mkdir(os.path.join(folder, "folder"))
        outputs = {}
        for name, runs in CASES.items():
            if name == "exit-codes":  # inputs made from the tracks the first cases built
                with open(os.path.join(folder, "flawed.trk"), "rb") as f:
                    track = f.read()
                with open(os.path.join(folder, "newer.trk"), "wb") as f:
                    f.write(bytes([6]) + track[1:])
                with open(os.path.join(folder, "lap.trk"), "wb") as f:
                    f.write(lap_file(track))
            if name == "diff":
                diff_inputs(folder)
            record, outputs[name] = run_case(cli, folder, runs)
            path = os.path.join(GOLDEN, name + ".txt")
            if update:
                with open(path, "wb") as f:
                    f.write(record)
                continue
            expected = open(path, "rb").read() if os.path.exists(path) else b""
            if record != expected:
                failures += 1
                print(f"FAIL! {name}: the output differs from {path}")
                for i, (a, b) in enumerate(zip(record.splitlines(), expected.splitlines())):
                    if a != b:
                        print(f"  line {i + 1}:\n    got      {a[:200]!r}\n    expected {b[:200]!r}")
                        break
                else:
                    print(f"  {len(record)} bytes, expected {len(expected)}")
        for name, (summary, check) in JSON_CHECKS.items():
            for problem in check(outputs[name][0], outputs[summary][0].decode("utf-8")):
                failures += 1
                print(f"FAIL! {name}: {problem}")
    if update:
        print(f"rewrote {len(CASES)} files in {GOLDEN}")
    print(f"{len(CASES)} cases, {failures} failing")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# Applies one fault of mutants.txt to FILE: FAULT is "OLD => NEW" with \n for a line break.
# OLD must occur exactly once in FILE; otherwise the file is left alone and the exit is 1.
#
#   apply_fault.py FILE FAULT
import sys

path, fault = sys.argv[1], sys.argv[2]
old, new = (s.strip().replace("\\n", "\n") for s in fault.split(" => ", 1))
text = open(path).read()
if text.count(old) != 1:
    sys.exit(f"{old!r} occurs {text.count(old)} times")
open(path, "w").write(text.replace(old, new))

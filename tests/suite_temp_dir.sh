#!/bin/sh
# The suite's temporary directory (TMPDIR of every test): `prepare TMP RUNTIME` empties it
# before the first test (and makes Qt's runtime folder, 0700 as Qt requires); `check TMP`
# after the last one fails, listing them, when tests left anything in it.
set -eu
case "$1" in
prepare)
    rm -rf "$2" "$3"
    mkdir -p "$2"
    mkdir -m 700 "$3"
    ;;
check)
    if [ -n "$(ls -A "$2")" ]; then
        echo "tests left these behind in $2:" >&2
        ls -lA "$2" >&2
        exit 1
    fi
    ;;
esac

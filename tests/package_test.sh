#!/bin/sh
# Checks the Debian package: lintian finds no error, the metainfo and the desktop entry
# validate, and the programs and the thumbnailer run from the package's unpacked contents
# (no display needed). Usage: package_test.sh dist/coursesmith_VERSION_amd64.deb
set -eu

deb="$1"
id=org.coursesmith.CourseSmith
root="$(mktemp -d "${TMPDIR:-/tmp}/cs-package.XXXXXX")"
trap 'rm -rf "$root"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

[ -f "$deb" ] || { echo "FAIL: no package $deb" >&2; exit 1; }
version="$(dpkg-deb -f "$deb" Version)"
echo "checking $deb (version $version)"

# Lintian's errors fail the check; its warnings are shown.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$root/lintian.txt" 2>&1 ||
    fail "lintian reports errors"
grep -E '^[EW]: ' "$root/lintian.txt" || true

dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the dependencies lack Qt (dpkg-shlibdeps)"

dpkg-deb -x "$deb" "$root/tree"
usr="$root/tree/usr"

metainfo="$usr/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "the metainfo does not validate"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metainfo lacks release $version"
desktop-file-validate "$usr/share/applications/$id.desktop" || fail "the desktop entry does not validate"
grep -qxF "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
    "$usr/share/doc/coursesmith/copyright" || fail "the copyright file is not in Debian's format"

# Both programs tell the package's version, the desktop program without a display, and so
# do their manual pages.
for program in coursesmith coursesmith-cli; do
    out="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$usr/bin/$program" --version)" ||
        fail "$program --version failed"
    [ "$out" = "$program $version" ] || fail "$program --version says \"$out\", not \"$program $version\""
    gzip -dc "$usr/share/man/man1/$program.1.gz" | grep -q "^\.TH .* \"$program $version\"" ||
        fail "$program has no manual page of version $version"
done

# The thumbnailer's command with a file manager's arguments: %i the file, %u its URI, %s the
# size, %o the PNG to write.
exec_line="$(sed -n 's/^Exec=//p' "$usr/share/thumbnailers/$id.thumbnailer")"
track="$root/a track.trk"
out="$root/thumbnail.png"
"$usr/bin/coursesmith-cli" new "$track"
uri="file://$(echo "$track" | sed 's/ /%20/g')"
command="$(echo "$exec_line" | sed "s|%s|128|; s|%i|'$track'|; s|%u|'$uri'|; s|%o|'$out'|")"
PATH="$usr/bin:$PATH" sh -c "$command" || fail "the thumbnailer failed: $command"
# A PNG's signature, then the width and height of its IHDR chunk: 128 x 128.
[ "$(od -An -tx1 -N8 "$out" 2>/dev/null | tr -d ' ')" = 89504e470d0a1a0a ] ||
    fail "the thumbnailer wrote no PNG"
[ "$(od -An -tu1 -j16 -N8 "$out" | tr -s ' ')" = " 0 0 0 128 0 0 0 128" ] ||
    fail "the thumbnail is not 128 x 128"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "the package is sound"

#!/bin/sh
# Installs the build into a temporary prefix and checks the installed tree: both programs
# (and their version), the desktop entry, the AppStream metainfo, the track MIME type, the
# thumbnailer (run as a file manager runs it), every icon, the manual pages and the license.
# Needs no display. Usage: install_test.sh BUILD_DIR
set -eu

build="$1"
id=org.coursesmith.CourseSmith
mime=application/x-tyrestorm-track
mime_icon=application-x-tyrestorm-track
prefix="$(mktemp -d "${TMPDIR:-/tmp}/cs-install.XXXXXX")"
trap 'rm -rf "$prefix"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_file() {
    [ -f "$prefix/$1" ] || fail "$1 is not installed"
}

# The width and height of a PNG, from its IHDR chunk.
png_size() {
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ printf "%dx%d", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in coursesmith coursesmith-cli; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not an installed program"
done

# Both programs tell the project's version, the desktop program without a display; so do
# the metainfo's release and the manual pages (made when help2man was found).
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
for program in coursesmith coursesmith-cli; do
    out="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/$program" --version)" ||
        fail "$program --version failed"
    [ "$out" = "$program $version" ] || fail "$program --version says \"$out\", not \"$program $version\""
    if grep -q '^HELP2MAN:FILEPATH=/' "$build/CMakeCache.txt"; then
        gzip -dc "$prefix/share/man/man1/$program.1.gz" | grep -q "^\.TH .* \"$program $version\"" ||
            fail "share/man/man1/$program.1.gz is not the manual page of $program $version"
    fi
done
help="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/coursesmith" --help)" ||
    fail "coursesmith --help failed"
[ "$(echo "$help" | head -n 1)" = "Usage: coursesmith [--autosave SECONDS] [TRACK]" ] || fail "coursesmith --help does not start with its usage"
expect_file share/doc/coursesmith/copyright

metainfo="share/metainfo/$id.metainfo.xml"
expect_file "$metainfo"
grep -qF "<release version=\"$version\"" "$prefix/$metainfo" || fail "$metainfo lacks release $version"
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net "$prefix/$metainfo" >/dev/null || fail "$metainfo does not validate"
fi

desktop="share/applications/$id.desktop"
expect_file "$desktop"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$prefix/$desktop" || fail "$desktop does not validate"
else
    echo "desktop-file-validate not found: the desktop entry is checked by its keys only"
fi
for line in "Exec=coursesmith %f" "Icon=$id" "Type=Application" "MimeType=$mime;" \
    "Categories=Graphics;2DGraphics;" "Terminal=false"; do
    grep -qxF "$line" "$prefix/$desktop" || fail "$desktop lacks $line"
done

# The MIME package compiles into a database that knows the glob and the magic.
expect_file "share/mime/packages/$id.xml"
if command -v update-mime-database >/dev/null 2>&1; then
    XDG_DATA_DIRS="$prefix/share" update-mime-database "$prefix/share/mime" || fail "update-mime-database refused the package"
    grep -qF "$mime:*.trk" "$prefix/share/mime/globs2" || fail "no *.trk glob in the database"
    grep -qaF "$mime" "$prefix/share/mime/magic" || fail "no magic for $mime in the database"
    grep -qaF "TS" "$prefix/share/mime/magic" || fail "the magic does not look for TS"
else
    echo "update-mime-database not found: the MIME package is not compiled"
fi

# The thumbnailer, run as a file manager runs it: %s a size, %u a URI, %o the PNG to write.
thumbnailer="share/thumbnailers/$id.thumbnailer"
expect_file "$thumbnailer"
grep -qxF "[Thumbnailer Entry]" "$prefix/$thumbnailer" || fail "$thumbnailer has no entry group"
grep -qxF "MimeType=$mime;" "$prefix/$thumbnailer" || fail "$thumbnailer lacks the MIME type"
try_exec="$(sed -n 's/^TryExec=//p' "$prefix/$thumbnailer")"
[ -x "$prefix/bin/$try_exec" ] || fail "TryExec=$try_exec is not an installed program"
exec_line="$(sed -n 's/^Exec=//p' "$prefix/$thumbnailer")"
mkdir "$prefix/my tracks"
PATH="$prefix/bin:$PATH" coursesmith-cli new "$prefix/my tracks/a track.trk"
uri="file://$(echo "$prefix/my tracks/a track.trk" | sed 's/ /%20/g')"
for size in 128 256 1024; do
    out="$prefix/thumbnail-$size.png"
    command="$(echo "$exec_line" | sed "s|%s|$size|; s|%u|'$uri'|; s|%o|'$out'|")"
    PATH="$prefix/bin:$PATH" sh -c "$command" || fail "the thumbnailer failed: $command"
    expected=$size
    [ "$size" -gt 512 ] && expected=512 # never enlarged
    [ -f "$out" ] && [ "$(png_size "$out")" = "${expected}x$expected" ] ||
        fail "a thumbnail of size $size is not ${expected}x$expected"
done

# Every icon at every size, and the scalable drawing, for the program and for track files.
for size in 16 32 48 128 256; do
    for icon in "apps/$id" "mimetypes/$mime_icon"; do
        png="share/icons/hicolor/${size}x$size/$icon.png"
        expect_file "$png"
        [ -f "$prefix/$png" ] && [ "$(png_size "$prefix/$png")" != "${size}x$size" ] &&
            fail "$png is $(png_size "$prefix/$png"), not ${size}x$size"
    done
done
for icon in "apps/$id" "mimetypes/$mime_icon"; do
    svg="share/icons/hicolor/scalable/$icon.svg"
    expect_file "$svg"
    grep -q "<svg" "$prefix/$svg" 2>/dev/null || fail "$svg is not an SVG drawing"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "installed tree is complete"

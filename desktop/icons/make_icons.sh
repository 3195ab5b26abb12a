#!/bin/sh
# Renders desktop/icons/hicolor/*/.../*.png from the SVG icons in hicolor/scalable, and the
# Windows icons desktop/icons/windows/*.ico from those PNGs.
# Run after editing an SVG, then commit the PNGs and the .ico files. Needs the Debian package qt6-svg-dev.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/../../build/icons"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" >/dev/null
"$build/make_icons" "$here/hicolor" "$here/windows"

#!/bin/sh
# Writes OUT, the notices of the third-party code that the statically linked Windows
# programs hold, from the copyright files of the Debian packages they are built from
# (scripts/install-deps.sh installs them), so that the notices follow those packages.
# cmake/windows-package.cmake runs it; the Windows packages ship the file with Windows
# line ends.
#   windows-notices.sh OUT
set -eu
out=$1

# PACKAGE, then what the programs take from it.
section() {
    printf '\n%s\n%s (Debian package %s %s)\n%s\n\n' \
        "================================================================================" \
        "$2" "$1" "$(dpkg-query -W -f '${Version}' "$1")" \
        "================================================================================"
    cat "/usr/share/doc/$1/copyright"
}

{
    cat <<'TEXT'
Third-party notices

coursesmith.exe and coursesmith-cli.exe are linked statically: besides CourseSmith's own code
(LICENSE.txt) they hold code of the projects below, each under its own license. Their notices
and licenses follow, as the copyright files of the Debian packages the programs were built
from give them.

  stb_image_write, stb_image_resize   PNG writing and scaling     coursesmith-cli.exe
  nlohmann-json                       JSON track documents        coursesmith-cli.exe
  CLI11                               command-line options        coursesmith-cli.exe
  zlib                                PNG compression             coursesmith-cli.exe
  GCC runtime libraries (libstdc++,   the C++ runtime             both programs
  libgcc), under the GCC Runtime
  Library Exception
  MinGW-w64 runtime and winpthreads   the C runtime and threads   both programs
TEXT
    section libstb-dev "stb_image_write and stb_image_resize"
    section nlohmann-json3-dev "nlohmann-json"
    section libcli11-dev "CLI11"
    section libz-mingw-w64-dev "zlib"
    section gcc-mingw-w64-base "GCC runtime libraries: libstdc++ and libgcc"
    section mingw-w64-common "MinGW-w64 runtime and winpthreads"
    printf '\n%s\n%s\n%s\n\n' \
        "================================================================================" \
        "GNU General Public License, version 3 (the license the GCC Runtime Library Exception adds to)" \
        "================================================================================"
    cat /usr/share/common-licenses/GPL-3
} >"$out"
echo "wrote $out"

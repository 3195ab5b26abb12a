#!/bin/sh
# Installs the Debian packages that building, testing and running CourseSmith need.
# Idempotent: does nothing when every package is already installed.
set -eu

packages="g++ make cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev
libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth qt6-wayland desktop-file-utils xdotool
shared-mime-info clang libclang-rt-14-dev libstb-dev nlohmann-json3-dev libcli11-dev zlib1g-dev
g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine wine64 nsis
help2man dpkg-dev file lintian appstream python3"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
if [ "$(id -u)" = 0 ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo apt-get update
    sudo DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
else
    echo "Cannot install packages (not root, and sudo is not available). Run:" >&2
    echo "  sudo apt-get install -y$missing" >&2
    exit 1
fi

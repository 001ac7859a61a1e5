#!/usr/bin/env bash
# Installs the Debian packages that are missing, configures and builds.
# Quiet when nothing is missing. Usage: scripts/setup.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libsqlite3-dev
          unixodbc-dev tdsodbc libsqliteodbc libgtest-dev googletest
          nlohmann-json3-dev fonts-dejavu-core fonts-liberation2 clang)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VORDANE_CMAKE_ARGS:-} >/dev/null
fi
# Ninja's progress lines and its "no work to do.", and the status lines of
# CMake configuring itself again, are left out: only the compiler's own
# messages, warnings and a failure come through.
set +e
cmake --build "$build" -- -l "$(nproc)" | grep -v -E '^(\[[0-9]+/[0-9]+\] |ninja: no work to do\.$|-- )'
status=${PIPESTATUS[0]}
set -e
test "$status" -eq 0

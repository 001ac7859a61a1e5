#!/usr/bin/env bash
# Sets up and builds (scripts/setup.sh), then starts the program on the
# embedded demo database. Extra arguments replace the demo parameter string.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
"$here/scripts/setup.sh" "$build"
cd "$build/bin"
if [ $# -gt 0 ]; then
  exec ./vordane "$@"
fi
exec ./vordane "@server=(sqlite);@dbname=DEMO;@usuario=DEMO;@Password=DEMO;"

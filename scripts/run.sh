#!/bin/sh
# Installs what is missing, builds, and starts the editor on the given files,
# or on the shipped sample when none is given.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ "$#" -eq 0 ]; then
  set -- resources/samples/sample-sjis-crlf.html
fi
exec build/src/gui/wexel "$@"

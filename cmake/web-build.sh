#!/bin/sh
# Builds the playground (web/) with Debian's emscripten into FOLDER (default
# build/web); the page lands in FOLDER/web/site. Used by run-tests and run-playground.
#   cmake/web-build.sh [FOLDER]
# Debian's emcc runs its JavaScript helpers with the machine's node, which finds the
# helpers' packages (acorn, ...) only under /usr/share/nodejs.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/build/web}
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S "$ROOT" -B "$OUT" -DKW_WEB=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$OUT" -j "${JOBS:-$(nproc)}"

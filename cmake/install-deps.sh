#!/bin/sh
# Makes a fresh Debian 12 machine ready to build and test Kwartlin (run as root).
# Idempotent: when every package is already there it only checks and returns.
set -eu

# Installed without recommends, so every package the build, run-tests and the tests
# look for is named here, not left to a recommendation (pkg-config for bench/ and for
# the simulator's libedit, which gives its shell line editing; the playground's
# emscripten, node, and Chromium with its driver for python3-selenium; python3-markdown
# makes the release's HTML guides).
PKGS="cmake g++ make pkg-config clang libclang-rt-14-dev llvm googletest libgtest-dev libgmock-dev \
libbenchmark-dev libcli11-dev libedit-dev liblua5.4-dev g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
wine wine32:i386 xvfb xauth locales valgrind python3 imagemagick \
emscripten nodejs chromium chromium-driver python3-selenium python3-markdown"

missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
# npm installs the playground's editor packages (web/package-lock.json) in the web
# build. Debian ships it apart from nodejs; a nodejs package that brings its own npm
# needs none.
command -v npm >/dev/null 2>&1 || missing="$missing npm"
locale_ok=1
locale -a 2>/dev/null | grep -qi '^pl_PL.utf8$' || locale_ok=0

if [ -z "$missing" ] && [ "$locale_ok" = 1 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" = 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -q i386; then
  $SUDO dpkg --add-architecture i386
fi
if [ -n "$missing" ]; then
  echo "install-deps: installing$missing"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
if [ "$locale_ok" = 0 ]; then
  if ! grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'pl_PL.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi

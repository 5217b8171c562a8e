#!/bin/sh
# Runs one Windows program under Wine in the prefix that tools/test-windows.sh made
# (WINEPREFIX); code page 1250 comes from the Polish locale.
: "${WINEPREFIX:?WINEPREFIX must name the prefix made for this test run}"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=pl_PL.UTF-8
exec wine "$@"

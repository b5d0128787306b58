#!/bin/sh
# Runs a Windows program of the build under Wine, in the suite's prefix.
export WINEPREFIX="${WINEPREFIX:?set WINEPREFIX (scripts/test does)}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL="${TEST_LC_ALL:-C}"
exec wine "$@"

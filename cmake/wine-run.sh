#!/bin/sh
# Runs a Windows program of the cross build under 64-bit Wine, headless and quietly.
#
#   wine-run.sh --prefix DIR program.exe [args...]   run a program
#   wine-run.sh --prefix DIR --stop                  stop the prefix's Wine server
#
# CMake sets this as the cross build's CMAKE_CROSSCOMPILING_EMULATOR with the prefix
# under the build folder, so ctest, the test discovery after linking and custom commands
# that run a built program all come through here. The prefix is created on first use
# (a few seconds); later runs take a fraction of a second while the server is up.
#
# Why the server is started here: a Wine server that the first wine process starts by
# itself inherits that process's standard output and error. If those are a pipe (ctest,
# test discovery, "$(...)"), the pipe stays open for as long as the server lives and the
# reader never sees its end. Starting the server first, with every stream on /dev/null,
# avoids that. It keeps running (-p) until "--stop"; ctest stops it after the last Wine
# test, and .ci/test when it ends.
set -eu

prefix=${WINEPREFIX:-}
if [ "${1:-}" = "--prefix" ]; then
  prefix=$2
  shift 2
fi
if [ -z "$prefix" ]; then
  echo "wine-run.sh: no Wine prefix (give --prefix DIR or set WINEPREFIX)" >&2
  exit 2
fi
mkdir -p "$prefix"
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG=-all
# No .NET or Gecko installers on first start, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# No display: Wine must not try to open windows.
unset DISPLAY WAYLAND_DISPLAY

if command -v wine64 >/dev/null 2>&1; then
  wine=wine64
elif [ -x /usr/lib/wine/wine64 ]; then
  wine=/usr/lib/wine/wine64
else
  wine=wine
fi
server=wineserver
command -v wineserver >/dev/null 2>&1 || server=/usr/lib/wine/wineserver64

if [ "${1:-}" = "--stop" ]; then
  "$server" -k </dev/null >/dev/null 2>&1 || true
  exit 0
fi
if [ $# -eq 0 ]; then
  echo "usage: wine-run.sh --prefix DIR program.exe [args...] | --stop" >&2
  exit 2
fi

# The first program that runs in a prefix creates it, and the first program after the server
# starts launches Wine's background services (services.exe and its helpers), which inherit
# that program's standard output and error just like the server would. Both are therefore
# done here by wineboot with every stream on /dev/null. wineserver -p exits 0 when it started
# the server and 2 when one was already running. Programs started at the same time (ctest -j)
# wait for each other here, so that none runs before the services are up.
stamp="$WINEPREFIX/.s4-prefix-ready"
# The lock's descriptor is closed for everything started under it: the server and the
# services outlive this script and would otherwise hold the lock for as long as they run.
(
  flock 9
  if [ ! -f "$stamp" ]; then
    "$server" -p </dev/null >/dev/null 2>&1 9>&- || true
    "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
    touch "$stamp"
  elif "$server" -p </dev/null >/dev/null 2>&1 9>&-; then
    "$wine" wineboot </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$WINEPREFIX.lock"

exec "$wine" "$@"

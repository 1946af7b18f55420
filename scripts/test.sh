#!/usr/bin/env bash
# Builds everything and runs every test: first the plain build, then its Debian packages
# (built, checked by lintian, installed, tried and removed again), then everything again under
# the address and undefined-behaviour sanitizers, then the Windows build under Wine. Any failure
# fails the whole run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== plain build =="
# The /usr prefix lets the packaging stage use this build as it is.
cmake -S . -B build -G Ninja -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Debian packages of the plain build =="
bash scripts/package.sh build
if [ "$(id -u)" -eq 0 ]; then
  bash scripts/test-packages.sh build
else
  echo "NOT RUN: installing the packages (scripts/test-packages.sh) needs root"
fi

echo "== sanitizer build (asan preset) =="
cmake --preset asan
cmake --build --preset asan -j"$jobs"
# The arrows are compile-time probes of the include folders, which the sanitizers do not change:
# the plain build has proved them.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset asan -j"$jobs" -LE '^arrows$'

# Windows: the libraries for the target (built once, then reused from their cache), the windows
# preset cross-compiled, and its tests run under Wine with the build tree's own Wine prefix.
# ZEPH_SKIP_WINDOWS=1 leaves this stage out of a local run; CI runs it.
if [ "${ZEPH_SKIP_WINDOWS:-0}" = 1 ]; then
  echo "== windows stage skipped (ZEPH_SKIP_WINDOWS=1) =="
  exit 0
fi
echo "== windows build (windows preset, tests under Wine) =="
deps_jobs=$jobs
[ "$deps_jobs" -le 2 ] || deps_jobs=2
ZEPH_WINDOWS_DEPS_PREFIX=$(ZEPH_WINDOWS_DEPS_JOBS=$deps_jobs bash scripts/windows-deps.sh | tail -n1)
export ZEPH_WINDOWS_DEPS_PREFIX
cmake --preset windows
cmake --build --preset windows -j"$jobs"
# Tests that open windows find a display under xvfb-run; the others need none. Each test program
# runs under wine-run, which starts the launcher of its Linux peers beside it (docs/windows.md).
# What the build leaves out on Windows, and why, is listed first. The arrows are compile-time
# probes of the include folders, which the platform does not change: the plain build proves them.
if [ -f build/windows/windows-skipped.txt ]; then
  echo "-- left out on Windows:"
  sed 's/^/--   /' build/windows/windows-skipped.txt
fi
windows_start=$(date +%s)
xvfb-run -a ctest --preset windows -j"$jobs" -LE '^arrows$'
echo "-- windows tests took $(($(date +%s) - windows_start)) s"

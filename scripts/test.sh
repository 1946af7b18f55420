#!/usr/bin/env bash
# Builds everything and runs every test: first the plain build, then again under the address
# and undefined-behaviour sanitizers. Any failure fails the whole run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== plain build =="
cmake -S . -B build -G Ninja
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitizer build (asan preset) =="
cmake --preset asan
cmake --build --preset asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset asan -j"$jobs"

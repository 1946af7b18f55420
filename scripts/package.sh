#!/usr/bin/env bash
# Builds the Debian packages of the tree into BUILD_DIR/packages and checks each with lintian
# (any error or warning fails). A new BUILD_DIR (default build/release) is configured as an
# optimised build without tests or benchmarks; an existing one keeps its options. Either way it
# is configured for the /usr prefix, built, and packaged by CPack's DEB generator.
# docs/packages.md tells what each package holds.
#
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

if [ -f "$build/CMakeCache.txt" ]; then
  cmake "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DZEPH_TESTS=OFF -DZEPH_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)"

rm -rf "$build/packages"
(cd "$build" && cpack -G DEB)
# CPack's own staging folder is not needed once the packages exist.
rm -rf "$build/packages/_CPack_Packages"

echo "== packages =="
for deb in "$build"/packages/*.deb; do
  printf '%-48s %8s bytes  installed %6s KiB\n' "$(basename "$deb")" "$(stat -c %s "$deb")" \
    "$(dpkg-deb -f "$deb" Installed-Size)"
done
echo "== lintian =="
lintian --fail-on error,warning --display-info "$build"/packages/*.deb
echo "lintian: no error, no warning"

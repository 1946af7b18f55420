#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, benchmark and run.
# Fails loudly when a package cannot be had: nothing is skipped quietly later on.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git clang-14 libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libxml2-dev libcurl4-openssl-dev libsqlite3-dev sqlite3 libxlsxwriter-dev libssl-dev
  uuid-dev libx11-dev liburing-dev
  python3 python3-pyftpdlib python3-multipart python3-spyne python3-xlrd python3-openpyxl
  nginx-light wrk xvfb x11-utils
  qt6-base-dev qt6-translations-l10n fonts-wqy-microhei imagemagick xdotool
  openssl coreutils procps iproute2 lldb
  curl bc time
  dpkg-dev file lintian librsvg2-bin
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
  wine64 tcl autoconf automake libtool
)
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" -eq 0 ]; then
  # nginx is only a benchmark peer, which the benchmark starts on a port of its own. A package
  # installed here must not start its service, so Debian's policy hook refuses every start while
  # this script installs; services already running, a user's own nginx among them, are left
  # alone. A policy the machine already has is kept as it is.
  policy=/usr/sbin/policy-rc.d
  own_policy=
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' >"$policy"
    chmod 755 "$policy"
    own_policy=1
  fi
  trap 'if [ -n "$own_policy" ]; then rm -f "$policy"; fi' EXIT
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${packages[@]}"
else
  missing=()
  for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: missing packages (run as root to install): ${missing[*]}" >&2
    exit 1
  fi
fi

#!/usr/bin/env bash
# Builds the third-party libraries of the Windows build for x86_64-w64-mingw32 from Debian's
# source packages: libcurl (Schannel for TLS), libxml2, SQLite, libxlsxwriter, and GoogleTest
# from the sources libgtest-dev installs. zlib is Debian's libz-mingw-w64-dev.
#
# The prefix is named by a key over everything that goes into it: this script, the source package
# versions, the compiler's and zlib's and GoogleTest's package versions.
# A prefix whose key matches is reused as it is.
#
#   scripts/windows-deps.sh                 build the prefix unless it is there; its path is the
#                                           last line of output
#   scripts/windows-deps.sh --print-prefix  print the prefix's path and nothing else; fail if it
#                                           is not built (no network, no build)
#
# ZEPH_WINDOWS_DEPS_CACHE: where prefixes and sources live (default /var/cache/zeph-windows-deps).
# ZEPH_WINDOWS_DEPS_JOBS: parallel compile jobs (default 2).
set -euo pipefail
# Read whole before it runs: the script may be replaced (a checkout) while it builds.
{

here=$(cd "$(dirname "$0")" && pwd)
host=x86_64-w64-mingw32
cache=${ZEPH_WINDOWS_DEPS_CACHE:-/var/cache/zeph-windows-deps}
jobs=${ZEPH_WINDOWS_DEPS_JOBS:-2}
source_packages=(curl libxml2 sqlite3 libxlsxwriter)
tool_packages=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  libz-mingw-w64-dev libgtest-dev libgmock-dev)

print_only=
case "${1:-}" in
  --print-prefix) print_only=1 ;;
  "") ;;
  *) echo "usage: $0 [--print-prefix]" >&2; exit 2 ;;
esac

say() { [ -n "$print_only" ] || echo "windows-deps: $*" >&2; }

# A private apt configuration that knows only Debian 12's source packages; the machine's own apt
# lists and settings are not touched.
aptdir=$cache/apt
apt_opts=(
  -o "Dir::Etc::sourcelist=$aptdir/sources.list"
  -o "Dir::Etc::sourceparts=$aptdir/sources.list.d"
  -o "Dir::State::Lists=$aptdir/lists"
  -o "Dir::Cache=$aptdir/cache"
  -o "APT::Sandbox::User=root"
)
if [ -z "$print_only" ]; then
  mkdir -p "$aptdir/sources.list.d" "$aptdir/lists/partial" "$aptdir/cache/archives/partial"
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  cat >"$aptdir/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
  say "refreshing the source package lists"
  if ! apt-get "${apt_opts[@]}" -qq update >&2; then
    if ! ls "$aptdir/lists/"*Sources* >/dev/null 2>&1; then
      echo "windows-deps: cannot read Debian's source package lists" >&2
      exit 1
    fi
    say "using the source package lists from the last refresh"
  fi
elif [ ! -d "$aptdir/lists" ]; then
  echo "windows-deps: no prefix yet; run $0" >&2
  exit 1
fi

# The version apt would fetch of a source package: the one of its .dsc.
source_version() {
  apt-get "${apt_opts[@]}" --print-uris source "$1" 2>/dev/null |
    sed -n "s/^'[^']*' $1_\([^ ]*\)\.dsc .*/\1/p" | head -n1
}

declare -A version
key_input=$(
  sha256sum "$here/windows-deps.sh" | cut -d' ' -f1
  for p in "${source_packages[@]}"; do
    v=$(source_version "$p")
    [ -n "$v" ] || { echo "windows-deps: no source package $p" >&2; exit 1; }
    echo "$p=$v"
  done
  dpkg-query -W -f='${Package}=${Version}\n' "${tool_packages[@]}"
)
for line in $(echo "$key_input" | grep '='); do version[${line%%=*}]=${line#*=}; done
key=$(echo "$key_input" | sha256sum | cut -c1-16)
prefix=$cache/$key

if [ -f "$prefix/.complete" ]; then
  say "reusing $prefix"
  echo "$prefix"
  exit 0
fi
if [ -n "$print_only" ]; then
  echo "windows-deps: the prefix for these inputs is not built; run $0" >&2
  exit 1
fi

# One build at a time per cache; a second caller waits and then finds the prefix.
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

started=$(date +%s)
work=$cache/build-$key
rm -rf "$prefix" "$work"
mkdir -p "$work" "$prefix"
log=$work/build.log
say "building $prefix (log: $log)"
echo "$key_input" >"$prefix/inputs.txt"

fetch() {
  local p=$1
  say "fetching the source of $p ${version[$p]}"
  (cd "$work" && apt-get "${apt_opts[@]}" -qq source "$p=${version[$p]}" >>"$log" 2>&1)
  # The unpacked tree is the only directory named after the package.
  find "$work" -mindepth 1 -maxdepth 1 -type d -name "$p-*" | head -n1
}

# Debian's patches may change the autotools inputs; the build files are then made again from them,
# as Debian's own build does.
regenerate_if_patched() {
  if [ -n "$(find . \( -name Makefile.am -o -name configure.ac \) -newer configure)" ]; then
    autoreconf -fi
  fi
}

export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig:/usr/$host/lib/pkgconfig
export PKG_CONFIG_PATH=
export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-gcc-ar-posix RANLIB=$host-gcc-ranlib-posix
export CFLAGS="-O2 -g" CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib"
if command -v ccache >/dev/null; then
  export CC="ccache $CC" CXX="ccache $CXX"
fi
autoconf_common=(--host="$host" --build="$(gcc -dumpmachine)" --prefix="$prefix"
  --disable-shared --enable-static --disable-dependency-tracking)
# The CMake projects get a toolchain of their own, so that the prefix does not change with the
# project's toolchain file.
toolchain=$work/toolchain.cmake
cat >"$toolchain" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH $prefix /usr/$host)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
cmake_common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

step() {
  local name=$1
  shift
  local t=$(date +%s) status=0
  say "$name"
  # A subshell outside any condition, so that set -e stops the step at its first failing command.
  set +e
  (set -e; "$@") >>"$log" 2>&1
  status=$?
  set -e
  if [ $status -ne 0 ]; then
    echo "windows-deps: $name failed; the end of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
  say "$name: $(($(date +%s) - t)) s"
}

build_gtest() {
  cmake -S /usr/src/googletest -B "$work/googletest" "${cmake_common[@]}" \
    -DINSTALL_GTEST=ON -DBUILD_GMOCK=ON
  cmake --build "$work/googletest" -j"$jobs"
  cmake --install "$work/googletest"
}

build_curl() {
  local src
  src=$(fetch curl)
  cd "$src"
  regenerate_if_patched
  # Only what the code uses: HTTP(S) with Schannel, FTP, proxies. No programs, no manual.
  ./configure "${autoconf_common[@]}" --with-schannel --with-zlib \
    --without-libpsl --without-brotli --without-zstd --without-nghttp2 --without-nghttp3 \
    --without-ngtcp2 --without-libssh2 --without-libssh --without-librtmp --without-libidn2 \
    --without-libgsasl --without-hyper --without-ca-bundle --without-ca-path \
    --disable-ldap --disable-ldaps --disable-dict --disable-gopher --disable-imap \
    --disable-pop3 --disable-smtp --disable-telnet --disable-tftp --disable-rtsp --disable-mqtt \
    --disable-smb --disable-manual --disable-docs
  make -C lib -j"$jobs"
  make -C lib install
  make -C include install
  make install-pkgconfigDATA install-binSCRIPTS
}

build_libxml2() {
  local src
  src=$(fetch libxml2)
  cd "$src"
  regenerate_if_patched
  # Debian has no iconv for the target: encodings beyond libxml2's own come from handlers the
  # caller registers.
  ./configure "${autoconf_common[@]}" --without-iconv --without-python --without-lzma \
    --without-icu --with-zlib
  make -j"$jobs" libxml2.la
  make install-libLTLIBRARIES install-pkgconfigDATA install-binSCRIPTS install-cmakeDATA \
    install-m4dataDATA
  make -C include install
}

build_sqlite() {
  local src
  src=$(fetch sqlite3)
  cd "$src"
  # The library is the amalgamation, one C file that the tree generates with tools it builds for
  # the build machine and its tclsh; it is then compiled for the target alone.
  mkdir -p amalgamation
  cd amalgamation
  env CC=gcc CFLAGS=-O2 CPPFLAGS= LDFLAGS= \
    ../configure --disable-tcl --disable-readline --disable-editline
  make sqlite3.c sqlite3.h sqlite3ext.h
  $CC $CFLAGS -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_MATH_FUNCTIONS -c sqlite3.c -o sqlite3.o
  $AR rcs libsqlite3.a sqlite3.o
  mkdir -p "$prefix/lib/pkgconfig" "$prefix/include"
  install -m 644 libsqlite3.a "$prefix/lib/"
  install -m 644 sqlite3.h sqlite3ext.h "$prefix/include/"
  cat >"$prefix/lib/pkgconfig/sqlite3.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SQLite
Description: SQL database engine
Version: ${version[sqlite3]%%-*}
Libs: -L\${libdir} -lsqlite3
Cflags: -I\${includedir}
EOF
}

build_xlsxwriter() {
  local src
  src=$(fetch libxlsxwriter)
  cmake -S "$src" -B "$work/libxlsxwriter" "${cmake_common[@]}" \
    -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DUSE_SYSTEM_MINIZIP=OFF -DUSE_STANDARD_TMPFILE=ON
  cmake --build "$work/libxlsxwriter" -j"$jobs"
  cmake --install "$work/libxlsxwriter"
}

step "GoogleTest" build_gtest
step "libcurl ${version[curl]}" build_curl
step "libxml2 ${version[libxml2]}" build_libxml2
step "SQLite ${version[sqlite3]}" build_sqlite
step "libxlsxwriter ${version[libxlsxwriter]}" build_xlsxwriter

rm -rf "$prefix/share/man" "$prefix/share/doc"
touch "$prefix/.complete"
rm -rf "$work"
# Older prefixes of this cache are kept: another checkout may still use one.
say "built in $(($(date +%s) - started)) s, $(du -sh "$prefix" | cut -f1)"
echo "$prefix"
exit 0
}

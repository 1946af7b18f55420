#!/usr/bin/env bash
# Installs the packages of BUILD_DIR/packages (made by scripts/package.sh) on this machine with
# apt, then checks the installed files, not the build tree: zeph-host from the PATH with either
# plug-in edition, the Tollund tools, a program built against libtollund-dev through pkg-config
# and through CMake, and the demo, whose output must equal the build tree's demo apart from
# paths, ports and temporary names. At the end, also on failure, it purges the packages and
# whatever apt installed for them, and checks that the list of installed packages is the one it
# found. It refuses to run when a package of the project is installed already. Needs root.
#
# Usage: scripts/test-packages.sh BUILD_DIR
set -euo pipefail
if [ $# -ne 1 ] || [ ! -d "$1/packages" ]; then
  echo "usage: $0 BUILD_DIR (with the packages in BUILD_DIR/packages)" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "$1" && pwd)
debs=("$build"/packages/*.deb)
names=()
for deb in "${debs[@]}"; do names+=("$(dpkg-deb -f "$deb" Package)"); done

# Every package that is installed or has its configuration left, with its version.
installed_list() {
  dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture} ${Version}\n' |
    awk '$1 !~ /^.n/ { print $2, $3 }' | sort
}
installed_names() { installed_list | cut -d' ' -f1 | sort; }
for name in "${names[@]}"; do
  if dpkg-query -W -f='${Status}\n' "$name" 2>/dev/null | grep -qv 'not-installed'; then
    echo "test-packages: $name is installed on this machine; remove it first (dpkg --purge $name)" >&2
    exit 1
  fi
done

before=$(installed_list)
work=$(mktemp -d)
apt_options=(-y -qq -o DPkg::Lock::Timeout=600)
export DEBIAN_FRONTEND=noninteractive
cleanup() {
  status=$?
  set +e
  echo "== removing the packages =="
  dpkg --purge "${names[@]}" >/dev/null 2>&1
  # What apt installed for them and the machine did not have before.
  extra=$(comm -13 <(echo "$before" | cut -d' ' -f1 | sort) <(installed_names))
  if [ -n "$extra" ]; then
    # shellcheck disable=SC2086 # one word a package
    apt-get purge "${apt_options[@]}" $extra >/dev/null
  fi
  rm -rf "$work"
  if [ "$(installed_list)" != "$before" ]; then
    echo "test-packages: the installed packages or their versions differ from before:" >&2
    diff <(echo "$before") <(installed_list) >&2
    status=1
  else
    echo "the machine has the packages it had before"
  fi
  exit "$status"
}
trap cleanup EXIT

echo "== installing: ${names[*]} =="
apt-get install "${apt_options[@]}" --no-install-recommends "${debs[@]}" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; exit 1; }

# From a folder far from the tree, so that nothing of the build is at hand.
cd "$work"
fail() { echo "test-packages: $*" >&2; exit 1; }

echo "== zeph-host call CHECK_STAFF_QUERY a b c =="
[ "$(command -v zeph-host)" = /usr/bin/zeph-host ] || fail "zeph-host on the PATH is $(command -v zeph-host)"
answer=$(zeph-host call CHECK_STAFF_QUERY a b c)
echo "$answer"
[ "$answer" = '["True","abc","0"]' ] || fail "unexpected answer"
answer=$(zeph-host --edition basic call CHECK_STAFF_QUERY a b c)
echo "basic edition: $answer"
[ "$answer" = '["True","abc","0"]' ] || fail "unexpected answer of the basic edition"

echo "== Tollund tools and development files =="
set +e
tollund-httpd >/dev/null 2>&1; httpd_status=$?
tollund-upload >/dev/null 2>&1; upload_status=$?
set -e
[ "$httpd_status" -eq 2 ] && [ "$upload_status" -eq 2 ] ||
  fail "tollund-httpd / tollund-upload without arguments: status $httpd_status / $upload_status, not 2"
echo "tollund-httpd and tollund-upload run (usage, status 2)"
cat >md5.cpp <<'CPP'
#include <tollund/CMD5.h>
#include <iostream>
int main() {
    CMD5 md5;
    std::string digest;
    md5.Digest("abc", digest);
    std::cout << digest << "\n";
    return digest == "900150983cd24fb0d6963f7d28e17f72" ? 0 : 1;
}
CPP
# shellcheck disable=SC2046 # pkg-config's words
g++ -std=c++20 md5.cpp -o md5-pc $(pkg-config --cflags --libs tollund)
echo "pkg-config tollund $(pkg-config --modversion tollund): MD5 of abc $(./md5-pc)"
mkdir cmake-user
cat >cmake-user/CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(TollundUser CXX)
find_package(Tollund REQUIRED)
add_executable(md5 ../md5.cpp)
target_compile_features(md5 PRIVATE cxx_std_20)
target_link_libraries(md5 PRIVATE Tollund::tollund)
CMAKE
cmake -S cmake-user -B cmake-user/build -G Ninja >/dev/null
cmake --build cmake-user/build >/dev/null
echo "find_package(Tollund): MD5 of abc $(cmake-user/build/md5)"

echo "== the demo against the installed files =="
bash "$root/scripts/demo.sh" --installed >demo-installed.txt
bash "$root/scripts/demo.sh" "$build" >demo-build.txt
installed_dir=$(dirname "$(dirname "$(readlink -f /usr/bin/zeph-host)")")
# Paths of the program and the demo data, and what differs between any two runs: temporary
# folders, the loopback ports the demo's servers got, and the times in the host log.
normalise() {
  sed -e "s#$1#PROGRAM_DIR#g" -e "s#$2#DEMO_DIR#g" -e 's#/tmp/tmp\.[A-Za-z0-9]*#TMP#g' \
      -e 's#127\.0\.0\.1:[0-9]*#127.0.0.1:PORT#g' \
      -e 's#^  [0-9]\{4\}-[0-9][0-9]-[0-9][0-9] [0-9:.]* #  TIME #'
}
normalise "$installed_dir" /usr/share/zeph-host/demo <demo-installed.txt >installed.norm
normalise "$build" "$root/host/emulator/demo" <demo-build.txt >build.norm
echo "demo output: $(wc -l <demo-installed.txt) lines installed, $(wc -l <demo-build.txt) from the build tree"
echo "diff of the two outputs as printed (build tree <, installed >):"
diff demo-build.txt demo-installed.txt || true
if diff -u build.norm installed.norm; then
  echo "the installed demo prints what the build tree's does, apart from paths"
else
  fail "the installed demo differs from the build tree's"
fi

# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads, for std::thread) and
# runs the programs it builds under Wine.
#
# The third-party libraries come from the prefix that scripts/windows-deps.sh builds: the
# environment's ZEPH_WINDOWS_DEPS_PREFIX, else the one given with -D on a tree's first configure,
# else the one the script names for today's inputs (asked on every configure).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEPH_WINDOWS_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZEPH_WINDOWS_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEPH_WINDOWS_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEPH_WINDOWS_TRIPLET}-windres)
set(CMAKE_AR ${ZEPH_WINDOWS_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZEPH_WINDOWS_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

get_property(zeph_in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(DEFINED ENV{ZEPH_WINDOWS_DEPS_PREFIX})
  set(zeph_deps_prefix $ENV{ZEPH_WINDOWS_DEPS_PREFIX})
elseif(ZEPH_WINDOWS_DEPS_PREFIX AND (zeph_in_try_compile OR NOT ZEPH_WINDOWS_DEPS_PREFIX_ASKED))
  set(zeph_deps_prefix ${ZEPH_WINDOWS_DEPS_PREFIX})
else()
  # Asked on every configure, so that a prefix built anew for changed inputs is taken up.
  execute_process(
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows-deps.sh --print-prefix
    OUTPUT_VARIABLE zeph_deps_prefix OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE found)
  if(NOT found EQUAL 0)
    message(FATAL_ERROR "The Windows libraries are not built yet: run scripts/windows-deps.sh")
  endif()
  set(ZEPH_WINDOWS_DEPS_PREFIX_ASKED ON CACHE INTERNAL "")
endif()
if(NOT zeph_in_try_compile AND DEFINED CACHE{ZEPH_WINDOWS_DEPS_PREFIX}
   AND NOT "$CACHE{ZEPH_WINDOWS_DEPS_PREFIX}" STREQUAL zeph_deps_prefix)
  # Another prefix: forget what was found in the old one (packages, pkg-config results).
  set(zeph_old_prefix "$CACHE{ZEPH_WINDOWS_DEPS_PREFIX}")
  message(STATUS "Windows libraries: ${zeph_deps_prefix} (was ${zeph_old_prefix})")
  get_cmake_property(zeph_entries CACHE_VARIABLES)
  foreach(entry IN LISTS zeph_entries)
    string(FIND "$CACHE{${entry}}" "${zeph_old_prefix}" at)
    if(entry MATCHES "^__pkg_config_" OR (at GREATER -1 AND NOT entry MATCHES "^ZEPH_"))
      unset(${entry} CACHE)
    endif()
  endforeach()
endif()
set(ZEPH_WINDOWS_DEPS_PREFIX ${zeph_deps_prefix} CACHE PATH
  "Prefix of the third-party libraries built for Windows by scripts/windows-deps.sh" FORCE)
# try_compile projects read this file again and need the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZEPH_WINDOWS_DEPS_PREFIX)

# Libraries and packages only from the prefix and the compiler's own root (zlib from
# libz-mingw-w64-dev lives there); programs from the build machine.
set(CMAKE_FIND_ROOT_PATH ${ZEPH_WINDOWS_DEPS_PREFIX} /usr/${ZEPH_WINDOWS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees only the target's .pc files. The prefix holds static libraries, so their
# private dependencies (Winsock, the crypto API, zlib, ...) must be linked too.
set(ENV{PKG_CONFIG_LIBDIR}
  "${ZEPH_WINDOWS_DEPS_PREFIX}/lib/pkgconfig:/usr/${ZEPH_WINDOWS_TRIPLET}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static CACHE STRING "Arguments pkg-config always gets")

# The GCC runtime (libgcc, libstdc++, winpthread) is linked into each DLL and program, so what
# the build makes runs on a bare Windows or Wine without MinGW's runtime DLLs beside it, and a
# host that loads one of our DLLs needs nothing else. -static also makes the linker take the
# static form of every library it finds by name.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static")
endforeach()
# Libraries found by path (pkg-config's imported targets) are the static ones too: zlib's import
# library beside libz.a would make every module need zlib1.dll, which Windows does not have. The
# platform's own settings come after this file, so the choice is made when project() ends.
set(CMAKE_PROJECT_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/windows/static-libraries.cmake)

# ctest and gtest_discover_tests run the .exe files under Wine, through a copy of windows/wine-run
# in the build tree, which gives the tree a Wine prefix of its own. The emulator is one program
# without arguments: gtest_discover_tests does not pass arguments of an emulator on.
if(NOT zeph_in_try_compile)
  file(COPY ${CMAKE_CURRENT_LIST_DIR}/windows/wine-run DESTINATION ${CMAKE_BINARY_DIR})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()

find_program(ZEPH_CCACHE ccache)
if(ZEPH_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${ZEPH_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${ZEPH_CCACHE})
endif()

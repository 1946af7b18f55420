# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads, for std::thread) and
# runs the programs it builds under Wine.
#
# The third-party libraries come from the prefix that scripts/windows-deps.sh builds; give it as
# ZEPH_WINDOWS_DEPS_PREFIX (cache or environment), otherwise the script is asked where it is.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEPH_WINDOWS_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZEPH_WINDOWS_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEPH_WINDOWS_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEPH_WINDOWS_TRIPLET}-windres)
set(CMAKE_AR ${ZEPH_WINDOWS_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZEPH_WINDOWS_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT ZEPH_WINDOWS_DEPS_PREFIX AND DEFINED ENV{ZEPH_WINDOWS_DEPS_PREFIX})
  set(ZEPH_WINDOWS_DEPS_PREFIX $ENV{ZEPH_WINDOWS_DEPS_PREFIX})
endif()
if(NOT ZEPH_WINDOWS_DEPS_PREFIX)
  execute_process(
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows-deps.sh --print-prefix
    OUTPUT_VARIABLE ZEPH_WINDOWS_DEPS_PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE found)
  if(NOT found EQUAL 0)
    message(FATAL_ERROR "The Windows libraries are not built yet: run scripts/windows-deps.sh")
  endif()
endif()
set(ZEPH_WINDOWS_DEPS_PREFIX ${ZEPH_WINDOWS_DEPS_PREFIX} CACHE PATH
  "Prefix of the third-party libraries built for Windows by scripts/windows-deps.sh")
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

# ctest and gtest_discover_tests run the .exe files under Wine, with a Wine prefix of the build
# tree's own.
set(CMAKE_CROSSCOMPILING_EMULATOR
  ${CMAKE_CURRENT_LIST_DIR}/windows/wine-run;${CMAKE_BINARY_DIR}/wine)

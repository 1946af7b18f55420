# Small helpers shared by every folder of the build.

# Adds each named subdirectory that has a CMakeLists.txt.
function(zeph_add_present_subdirectories)
  foreach(dir IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# Adds every direct child folder that has a CMakeLists.txt, in name order.
function(zeph_add_child_directories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# Records a test left out of the Windows build and why, one line each in the build tree's
# windows-skipped.txt (started afresh by each configure), and in the configure output.
file(REMOVE ${CMAKE_BINARY_DIR}/windows-skipped.txt)
function(zeph_note_windows_skip what reason)
  set_property(GLOBAL APPEND PROPERTY ZEPH_WINDOWS_SKIPPED "${what}: ${reason}")
  get_property(skipped GLOBAL PROPERTY ZEPH_WINDOWS_SKIPPED)
  list(JOIN skipped "\n" text)
  file(WRITE ${PROJECT_BINARY_DIR}/windows-skipped.txt "${text}\n")
  message(STATUS "Windows skips ${what}: ${reason}")
endfunction()

# zeph_add_gtest(NAME SOURCES... [LIBS ...] [LABELS label] [TIMEOUT s] [SERIAL]
#                [POSIX_SOURCES reason files...]... [WINDOWS_SKIP pattern reason]...)
# One GoogleTest binary; its cases are discovered when the tests run. On Windows, the files of
# each POSIX_SOURCES group (tests of what only POSIX has) are left out, and the cases matching
# each WINDOWS_SKIP pattern (a gtest filter pattern) are not discovered; both with their reason.
function(zeph_add_gtest name)
  cmake_parse_arguments(ARG "SERIAL" "TIMEOUT" "SOURCES;LIBS;LABELS;POSIX_SOURCES;WINDOWS_SKIP"
                        ${ARGN})
  if(ARG_POSIX_SOURCES)
    # Groups: a reason (a text with a space), then its files.
    set(reason "")
    foreach(item IN LISTS ARG_POSIX_SOURCES)
      if(item MATCHES " ")
        set(reason "${item}")
      elseif(WIN32)
        zeph_note_windows_skip("${name}: ${item}" "${reason}")
      else()
        list(APPEND ARG_SOURCES ${item})
      endif()
    endforeach()
  endif()
  set(filter)
  if(WIN32 AND ARG_WINDOWS_SKIP)
    list(LENGTH ARG_WINDOWS_SKIP count)
    math(EXPR last "${count} - 1")
    foreach(i RANGE 0 ${last} 2)
      math(EXPR j "${i} + 1")
      list(GET ARG_WINDOWS_SKIP ${i} pattern)
      list(GET ARG_WINDOWS_SKIP ${j} reason)
      zeph_note_windows_skip("${name}: ${pattern}" "${reason}")
      list(APPEND filter ${pattern})
    endforeach()
    list(JOIN filter ":" filter)
    set(filter TEST_FILTER "-${filter}")
  endif()
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    ZEPH_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ZEPH_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(props TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    # Discovered test cases take their properties through a script that flattens lists, so
    # a binary carries one label.
    list(LENGTH ARG_LABELS labelCount)
    if(labelCount GREATER 1)
      message(FATAL_ERROR "zeph_add_gtest(${name}): one label per test binary")
    endif()
    list(APPEND props LABELS ${ARG_LABELS})
  endif()
  if(ARG_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  set(discovery)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    # Under an emulator the listing takes longer, and the first run under Wine makes its prefix.
    set(discovery DISCOVERY_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST ${discovery} ${filter} PROPERTIES ${props})
endfunction()

# zeph_add_fuzz_target(NAME SOURCES... [LIBS ...] [CORPUS dir])
# With ZEPH_FUZZ (clang) the target is a libFuzzer binary. Otherwise it links a small driver that
# runs every file of its seed corpus once, and that run is a test: each seed must pass cleanly.
function(zeph_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  if(ZEPH_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/common/StandaloneFuzzDriver.cpp)
  endif()
  if(ZEPH_TESTS)
    if(NOT ARG_CORPUS)
      set(ARG_CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    endif()
    if(ZEPH_FUZZ)
      add_test(NAME fuzz.${name} COMMAND ${name} -runs=0 ${ARG_CORPUS})
    else()
      add_test(NAME fuzz.${name} COMMAND ${name} ${ARG_CORPUS})
    endif()
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300 LABELS fuzz)
  endif()
endfunction()

# Adds each named part folder (utility, host, plugin) that is switched on (ZEPH_PARTS) and present,
# in the order given.
function(zeph_add_part_subdirectories)
  foreach(dir IN LISTS ARGN)
    if(dir IN_LIST ZEPH_PARTS AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

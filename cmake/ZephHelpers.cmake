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

# zeph_add_gtest(NAME SOURCES... [LIBS ...] [LABELS label] [TIMEOUT s] [SERIAL])
# One GoogleTest binary; its cases are discovered when the tests run.
function(zeph_add_gtest name)
  cmake_parse_arguments(ARG "SERIAL" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
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
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST ${discovery} PROPERTIES ${props})
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

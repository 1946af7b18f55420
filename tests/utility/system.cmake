# Upload client, process and system functions, crash dumps.
# Each test program runs from a folder of its own, so that its log file (Info.dat in the
# program directory) and its dump files are its own.

set(tollund_system_support ${CMAKE_CURRENT_SOURCE_DIR}/support)

function(tollund_system_test name)
  zeph_add_gtest(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/tollund-tests/${name})
endfunction()

tollund_system_test(http_upload_wire_test
  SOURCES http_upload_wire_test.cpp LIBS tollund LABELS tollund TIMEOUT 120)
tollund_system_test(http_upload_failure_test
  SOURCES http_upload_failure_test.cpp LIBS tollund LABELS tollund TIMEOUT 180)

# Crash dumps: a helper that fails on purpose and two debug-help libraries. The helper exports
# its symbols so that its allocator and flock(2) replace the system's for the library too. The
# libraries live apart from lib/ so that no library search finds them by accident.
add_executable(tollund_crash_helper ${tollund_system_support}/crash_helper.cpp)
target_link_libraries(tollund_crash_helper PRIVATE tollund)
set_target_properties(tollund_crash_helper PROPERTIES ENABLE_EXPORTS ON
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tollund-test-support)
foreach(lib test_dbghelp test_dbghelp_old)
  add_library(tollund_${lib} MODULE ${tollund_system_support}/${lib}.cpp)
  target_link_libraries(tollund_${lib} PRIVATE tollund)
  set_target_properties(tollund_${lib} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tollund-test-support)
endforeach()

tollund_system_test(mini_dumper_crash_test
  SOURCES mini_dumper_crash_test.cpp LIBS tollund LABELS tollund TIMEOUT 180)
add_dependencies(mini_dumper_crash_test tollund_crash_helper tollund_test_dbghelp
  tollund_test_dbghelp_old)
target_compile_definitions(mini_dumper_crash_test PRIVATE
  TOLLUND_CRASH_HELPER="$<TARGET_FILE:tollund_crash_helper>"
  TOLLUND_TEST_DBGHELP="$<TARGET_FILE:tollund_test_dbghelp>"
  TOLLUND_TEST_DBGHELP_OLD="$<TARGET_FILE:tollund_test_dbghelp_old>")

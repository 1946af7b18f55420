# Upload client, process and system functions, crash dumps.
# Each test program runs from a folder of its own, so that its log file (Info.dat in the
# program directory) and its dump files are its own. The programs whose cases read log lines run
# their cases one at a time: the log lets only one process append at a moment and drops the
# entry of another.

set(tollund_system_support ${CMAKE_CURRENT_SOURCE_DIR}/support)

function(tollund_system_test name)
  zeph_add_gtest(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE zeph_test_files)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/tollund-tests/${name})
endfunction()

tollund_system_test(http_upload_wire_test
  SOURCES http_upload_wire_test.cpp LIBS tollund LABELS tollund TIMEOUT 120)
tollund_system_test(http_upload_failure_test
  SOURCES http_upload_failure_test.cpp LIBS tollund LABELS tollund TIMEOUT 180 SERIAL)

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

# Processes, windows and machine facts.
tollund_system_test(exec_command_test
  SOURCES exec_command_test.cpp LIBS tollund LABELS tollund TIMEOUT 120 SERIAL)
tollund_system_test(machine_facts_test
  SOURCES machine_facts_test.cpp LIBS tollund LABELS tollund TIMEOUT 60 SERIAL)
tollund_system_test(message_menu_test
  SOURCES message_menu_test.cpp LIBS tollund LABELS tollund TIMEOUT 60)

add_library(tollund_test_pellora MODULE ${tollund_system_support}/pellora_version.cpp)
set_target_properties(tollund_test_pellora PROPERTIES
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tollund-test-support)
tollund_system_test(registry_url_version_test
  SOURCES registry_url_version_test.cpp LIBS tollund LABELS tollund TIMEOUT 60 SERIAL)
add_dependencies(registry_url_version_test tollund_test_pellora tollund_test_dbghelp_old)
target_compile_definitions(registry_url_version_test PRIVATE
  TOLLUND_PELLORA_LIBRARY="$<TARGET_FILE:tollund_test_pellora>"
  TOLLUND_NO_VERSION_LIBRARY="$<TARGET_FILE:tollund_test_dbghelp_old>")

if(NOT TARGET PkgConfig::X11)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
endif()
add_executable(tollund_x_window_helper ${tollund_system_support}/x_window_helper.cpp)
target_link_libraries(tollund_x_window_helper PRIVATE PkgConfig::X11)
set_target_properties(tollund_x_window_helper PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tollund-test-support)
tollund_system_test(x11_window_test
  SOURCES x11_window_test.cpp LIBS tollund LABELS tollund TIMEOUT 120 SERIAL)
add_dependencies(x11_window_test tollund_x_window_helper)
target_compile_definitions(x11_window_test PRIVATE
  TOLLUND_X_WINDOW_HELPER="$<TARGET_FILE:tollund_x_window_helper>")

# The upload program, built with the library's tools.
tollund_system_test(upload_tool_test
  SOURCES upload_tool_test.cpp LIBS tollund LABELS tollund TIMEOUT 60)
add_dependencies(upload_tool_test tollund-upload)
target_compile_definitions(upload_tool_test PRIVATE
  TOLLUND_UPLOAD_TOOL="$<TARGET_FILE:tollund-upload>")

# Dumps of the debug-help library, opened with lldb. The program fails on purpose in functions
# with known names.
if(TARGET dbghelp)
  add_executable(tollund_dump_crash_program ${tollund_system_support}/dump_crash_program.cpp)
  target_link_libraries(tollund_dump_crash_program PRIVATE tollund)
  set_target_properties(tollund_dump_crash_program PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tollund-test-support)
  tollund_system_test(minidump_lldb_test
    SOURCES minidump_lldb_test.cpp LIBS tollund LABELS tollund TIMEOUT 300)
  add_dependencies(minidump_lldb_test tollund_dump_crash_program dbghelp)
  target_compile_definitions(minidump_lldb_test PRIVATE
    TOLLUND_DUMP_CRASH_PROGRAM="$<TARGET_FILE:tollund_dump_crash_program>"
    TOLLUND_DBGHELP_LIBRARY="$<TARGET_FILE:dbghelp>")
endif()
if(TARGET dbghelp)
  set(dbghelp_src ${PROJECT_SOURCE_DIR}/utility/dbghelp)
  tollund_system_test(dbghelp_readers_test
    SOURCES dbghelp_readers_test.cpp ${dbghelp_src}/ProcessMapsLinux.cpp
    ${dbghelp_src}/TaskSyscallLinux.cpp ${dbghelp_src}/ElfBuildIdLinux.cpp
    ${dbghelp_src}/OwnMemoryLinux.cpp LABELS tollund)
  target_include_directories(dbghelp_readers_test PRIVATE ${dbghelp_src})
endif()

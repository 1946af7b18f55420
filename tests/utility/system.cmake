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

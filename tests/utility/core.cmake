# Tests of the log, the HTTP file server, MD5, Base64 and the image buffer pool. Each program
# runs from a folder of its own, so that the log file in its program directory is its own.
function(tollund_core_test name)
  zeph_add_gtest(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE zeph_test_files)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/tollund-tests/${name})
endfunction()

tollund_core_test(tollund_log_test SOURCES cfunction_log_test.cpp LIBS tollund LABELS tollund)
tollund_core_test(tollund_md5_test SOURCES md5_test.cpp LIBS tollund LABELS tollund)
tollund_core_test(tollund_base64_test SOURCES base64_test.cpp LIBS tollund LABELS tollund)
tollund_core_test(tollund_image_buffer_test SOURCES image_buffer_test.cpp LIBS tollund
  LABELS tollund)
tollund_core_test(tollund_http_server_test SOURCES http_server_test.cpp LIBS tollund
  LABELS tollund TIMEOUT 180)
tollund_core_test(tollund_http_server_no_ring_test SOURCES http_server_no_ring_test.cpp
  LIBS tollund tollund_platform LABELS tollund)
# The ring is internal to the library: its test compiles it in.
tollund_core_test(tollund_file_piece_ring_test SOURCES file_piece_ring_test.cpp
  ${PROJECT_SOURCE_DIR}/utility/src/FilePieceRing.cpp LIBS tollund_platform LABELS tollund)
target_include_directories(tollund_file_piece_ring_test PRIVATE ${PROJECT_SOURCE_DIR}/utility/src)
tollund_core_test(tollund_http_server_load_test SOURCES http_server_load_test.cpp LIBS tollund
  LABELS load TIMEOUT 120)
tollund_core_test(tollund_httpd_test SOURCES tollund_httpd_test.cpp LIBS tollund LABELS tollund)
add_dependencies(tollund_httpd_test tollund-httpd)

# Upload client beside curl: bench/utility/upload_vs_curl.sh times the tollund-upload program,
# which is built with the library's tools.
if(NOT TARGET tollund-upload)
  add_subdirectory(${PROJECT_SOURCE_DIR}/utility/tools/upload
                   ${CMAKE_BINARY_DIR}/utility/tools/upload)
endif()

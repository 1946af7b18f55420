# Parsers of outside input in Tollund: the HTTP request analysis and the Base64 decoder. The
# library sources they reach are compiled into each target, so that the fuzzer sees (and is
# guided by) their coverage.
set(tollund_src ${PROJECT_SOURCE_DIR}/utility/src)

get_property(tollund_http_server_sources GLOBAL PROPERTY TOLLUND_HTTP_SERVER_SOURCES)
zeph_add_fuzz_target(tollund_http_analyze_fuzzer
  SOURCES http_analyze_fuzzer.cpp ${tollund_http_server_sources}
  LIBS tollund_platform)
target_include_directories(tollund_http_analyze_fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/utility/include)

zeph_add_fuzz_target(tollund_base64_decode_fuzzer
  SOURCES base64_decode_fuzzer.cpp ${tollund_src}/Base64.cpp)
target_include_directories(tollund_base64_decode_fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/utility/include)

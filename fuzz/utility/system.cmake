# Parsers of outside input among the system functions: the version layer reader. The library
# sources it reaches are compiled in; the target runs from a folder of its own, since each input
# is written as Pellora.dll beside it.
set(tollund_src ${PROJECT_SOURCE_DIR}/utility/src)

zeph_add_fuzz_target(tollund_version_layer_fuzzer
  SOURCES version_layer_fuzzer.cpp ${tollund_src}/CFunction.cpp
  LIBS tollund_platform)
target_include_directories(tollund_version_layer_fuzzer PRIVATE
  ${PROJECT_SOURCE_DIR}/utility/include)
set_target_properties(tollund_version_layer_fuzzer PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/tollund-fuzz/tollund_version_layer_fuzzer)

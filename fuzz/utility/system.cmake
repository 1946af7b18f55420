# Parsers of outside input among the system functions: the version layer reader, fed the bytes
# of an image directly. The library source it reaches is compiled in.
set(tollund_src ${PROJECT_SOURCE_DIR}/utility/src)

zeph_add_fuzz_target(tollund_version_layer_fuzzer
  SOURCES version_layer_fuzzer.cpp ${tollund_src}/VersionLayerPosix.cpp ${tollund_src}/Log.cpp
    ${tollund_src}/LogPosix.cpp ${tollund_src}/LocalClockPosix.cpp
  LIBS tollund_platform)
target_include_directories(tollund_version_layer_fuzzer PRIVATE
  ${PROJECT_SOURCE_DIR}/utility/include ${tollund_src})

# Parsers of outside input among the system functions: the version layer reader, fed the bytes
# of an image directly. The library source it reaches is compiled in.
set(tollund_src ${PROJECT_SOURCE_DIR}/utility/src)

zeph_add_fuzz_target(tollund_version_layer_fuzzer
  SOURCES version_layer_fuzzer.cpp ${tollund_src}/VersionLayer.cpp ${tollund_src}/LogLayer.cpp
  LIBS tollund_platform)
target_include_directories(tollund_version_layer_fuzzer PRIVATE
  ${PROJECT_SOURCE_DIR}/utility/include ${tollund_src})

# The debug-help library's readers of /proc lines and ELF notes (Linux x86-64 only, as the
# library is).
if(TARGET dbghelp)
  set(dbghelp_src ${PROJECT_SOURCE_DIR}/utility/dbghelp)
  zeph_add_fuzz_target(tollund_dbghelp_parsers_fuzzer
    SOURCES dbghelp_parsers_fuzzer.cpp ${dbghelp_src}/ProcessMapsLinux.cpp
    ${dbghelp_src}/TaskSyscallLinux.cpp ${dbghelp_src}/ElfBuildIdLinux.cpp
    ${dbghelp_src}/OwnMemoryLinux.cpp)
  target_include_directories(tollund_dbghelp_parsers_fuzzer PRIVATE ${dbghelp_src})
endif()

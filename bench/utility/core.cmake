# Tollund benchmarks: Base64 and MD5 beside OpenSSL (Google Benchmark), and the programs the
# comparison scripts time beside md5sum and nginx.
pkg_check_modules(TOLLUND_BENCH_OPENSSL IMPORTED_TARGET libcrypto)
if(TOLLUND_BENCH_OPENSSL_FOUND)
  add_executable(tollund_base64_bench base64_bench.cpp)
  target_link_libraries(tollund_base64_bench PRIVATE tollund benchmark::benchmark
    PkgConfig::TOLLUND_BENCH_OPENSSL)
endif()

add_executable(tollund-md5 md5_file_main.cpp)
target_link_libraries(tollund-md5 PRIVATE tollund)

# Parsers of outside input in Tollund: the HTTP request analysis and the Base64 decoder.
zeph_add_fuzz_target(tollund_http_analyze_fuzzer SOURCES http_analyze_fuzzer.cpp LIBS tollund)
zeph_add_fuzz_target(tollund_base64_decode_fuzzer SOURCES base64_decode_fuzzer.cpp LIBS tollund)

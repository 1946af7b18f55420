# The host encoding handlers for libxml2 on Windows and their test, built on their own while the
# host stand-in does not build for Windows yet (ZEPH_HOST off).
pkg_check_modules(XML_HOST_ENCODING_LIBXML2 REQUIRED IMPORTED_TARGET libxml-2.0)
zeph_add_gtest(xml_host_encoding_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/xml_host_encoding_test.cpp
    ${PROJECT_SOURCE_DIR}/host/text/src/XmlHostEncodingWin32.cpp
  LIBS PkgConfig::XML_HOST_ENCODING_LIBXML2 LABELS host)
target_include_directories(xml_host_encoding_test PRIVATE ${PROJECT_SOURCE_DIR}/host/text/include)

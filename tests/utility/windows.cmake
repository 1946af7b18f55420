# Tollund's tests of the Windows build. ctest runs the .exe files under Wine (the toolchain's
# emulator); the peers on the Linux side (curl, md5sum, the Python upload receiver) talk to the
# Windows tools over loopback from a script.

enable_language(RC)

# Wine sees the build machine's root as drive Z:.
function(tollund_wine_path out path)
  string(REPLACE "/" "\\\\" windows "${path}")
  set(${out} "Z:${windows}" PARENT_SCOPE)
endfunction()

set(tollund_windows_support ${CMAKE_BINARY_DIR}/tollund-test-support)

# A program needs Tollund.dll beside it: Windows looks for DLLs in the program's folder.
function(tollund_beside_library target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:tollund> $<TARGET_FILE_DIR:${target}>)
endfunction()

add_executable(tollund_windows_helper windows/helper.cpp)
target_link_libraries(tollund_windows_helper PRIVATE tollund)
set_target_properties(tollund_windows_helper PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${tollund_windows_support})
tollund_beside_library(tollund_windows_helper)

add_library(tollund_test_pellora MODULE windows/pellora.cpp windows/pellora.rc)
set_target_properties(tollund_test_pellora PROPERTIES
  PREFIX "" OUTPUT_NAME Pellora LIBRARY_OUTPUT_DIRECTORY ${tollund_windows_support})

tollund_wine_path(helper_path ${tollund_windows_support}/tollund_windows_helper.exe)
tollund_wine_path(pellora_path ${tollund_windows_support}/Pellora.dll)

# Each program runs from a folder of its own, so that the log file in its program directory is
# its own.
function(tollund_windows_test name)
  zeph_add_gtest(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/tollund-tests/${name})
  tollund_beside_library(${name})
endfunction()

tollund_windows_test(tollund_image_buffer_test SOURCES image_buffer_test.cpp LIBS tollund
  LABELS tollund)
tollund_windows_test(tollund_windows_facilities_test SOURCES windows/windows_facilities_test.cpp
  LIBS tollund LABELS tollund TIMEOUT 180 SERIAL)
add_dependencies(tollund_windows_facilities_test tollund_windows_helper tollund_test_pellora)
target_compile_definitions(tollund_windows_facilities_test PRIVATE
  TOLLUND_WINDOWS_HELPER="${helper_path}" TOLLUND_PELLORA_LIBRARY="${pellora_path}")
tollund_windows_test(tollund_windows_http_server_test SOURCES windows/http_server_test.cpp
  LIBS tollund ws2_32 LABELS tollund TIMEOUT 120)

# The tools under Wine against the Linux side's peers.
add_test(NAME TollundWindowsTools.PeersOverLoopback
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/peers_test.sh ${CMAKE_BINARY_DIR}
    ${CMAKE_CURRENT_SOURCE_DIR}/support/multipart_recorder.py)
set_tests_properties(TollundWindowsTools.PeersOverLoopback PROPERTIES
  LABELS tollund TIMEOUT 300 RUN_SERIAL TRUE)

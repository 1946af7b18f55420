# zeph-host and the plug-in editions end to end, each case compared with the Linux build's output
# (zeph_host_windows.cmake): on Windows under the emulator (Wine), on Linux so that the
# reference stays the Linux build's.
if(WIN32)
  set(same_output_label windows)
else()
  set(same_output_label host)
endif()
foreach(case IN ITEMS words arguments desk export test-window-full test-window-basic)
  add_test(NAME zeph_host_same_output.${case}
    COMMAND ${CMAKE_COMMAND} -DCASE=${case} -DPROGRAM=$<TARGET_FILE:zeph-host>
      "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
      -DWORK=${CMAKE_CURRENT_BINARY_DIR}/zeph_host_same_output/${case}
      -DSOURCE=${CMAKE_CURRENT_LIST_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/zeph_host_windows.cmake)
  set_tests_properties(zeph_host_same_output.${case} PROPERTIES LABELS ${same_output_label}
    TIMEOUT 300)
endforeach()

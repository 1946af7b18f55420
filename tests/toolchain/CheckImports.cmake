# cmake -DOBJDUMP=... -DFILES=a.exe;b.dll -P CheckImports.cmake
# Fails when a program or DLL imports one of MinGW's runtime DLLs or zlib's: they are linked in,
# so that what the build makes runs on a Windows that has neither.
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${file}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  if(NOT imports)
    message(FATAL_ERROR "${file}: no import table found")
  endif()
  message(STATUS "${file}: ${imports}")
  foreach(import IN LISTS imports)
    if(import MATCHES "(libstdc\\+\\+|libgcc_s|libwinpthread|zlib1)")
      message(FATAL_ERROR "${file} needs ${CMAKE_MATCH_1}: ${import}")
    endif()
  endforeach()
endforeach()

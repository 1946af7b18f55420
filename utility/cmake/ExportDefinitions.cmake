# Writes the module-definition file of Tollund.dll: every symbol of the library's public classes
# that its objects define, and nothing else (not the C++ runtime's templates it instantiates,
# which every program has its own copy of).
#   cmake -DNM=... -DOUTPUT=... -DOBJECT_LIST=file-of-object-paths -P ExportDefinitions.cmake
set(classes CFunction CHttpServer CHttpEvent CHttpUpload CHttpUploadException CMD5 Base64
  CImageBuffer CMiniDumper)
list(JOIN classes "|" alternatives)
set(pattern "^_Z(N|NK|TV|TI|TS)[0-9]+(${alternatives})[0-9A-Z]")
file(STRINGS ${OBJECT_LIST} OBJECTS)
set(exports "")
foreach(object IN LISTS OBJECTS)
  execute_process(COMMAND ${NM} -g --defined-only ${object}
    OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} failed on ${object}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-f]+ [TDBR] (.+)$")
      set(symbol ${CMAKE_MATCH_1})
      if(symbol MATCHES "${pattern}")
        list(APPEND exports ${symbol})
      endif()
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES exports)
list(SORT exports)
list(JOIN exports "\n  " body)
file(WRITE ${OUTPUT}.new "LIBRARY Tollund.dll\nEXPORTS\n  ${body}\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)

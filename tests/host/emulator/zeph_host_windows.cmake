# One case of zeph-host run end to end, its standard output and error compared with the files
# the Linux build wrote for the same case (windows-expected/CASE.out and CASE.err):
#   cmake -DCASE=... -DPROGRAM=.../zeph-host[.exe] [-DEMULATOR=wine-run] -DWORK=folder
#         -DSOURCE=tests/host/emulator [-DUPDATE=ON] -P zeph_host_windows.cmake
# With UPDATE the files are written instead; run so with the Linux build's zeph-host.
#
# Paths differ between the builds, so before the comparison the demo folder becomes $DEMO,
# this folder $SOURCE, the work folder $WORK, and the loaded plug-in's path $PLUGIN(edition); line
# ends are compared as bytes.
cmake_minimum_required(VERSION 3.25)
cmake_policy(SET CMP0007 NEW)

set(demo ${SOURCE}/../../../host/emulator/demo)
get_filename_component(demo ${demo} ABSOLUTE)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# run(NAME [INPUT text] ARGS...): runs the program, appends its output to the case's.
set(all_out "")
set(all_err "")
function(run)
  cmake_parse_arguments(ARG "" "INPUT" "ARGS" ${ARGN})
  set(input_file ${WORK}/empty.txt)
  file(WRITE ${input_file} "")
  if(DEFINED ARG_INPUT)
    set(input_file ${WORK}/input.txt)
    file(WRITE ${input_file} "${ARG_INPUT}")
  endif()
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${ARG_ARGS}
    INPUT_FILE ${input_file} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status
    WORKING_DIRECTORY ${WORK})
  list(JOIN ARG_ARGS " " shown)
  set(all_out "${all_out}$ ${shown} -> ${status}\n${out}" PARENT_SCOPE)
  set(all_err "${all_err}$ ${shown}\n${err}" PARENT_SCOPE)
endfunction()

if(CASE STREQUAL "words")
  # The dispatcher, the small services and the quality-check conversions on the demo packets
  # (declared GBK), one plug-in and one main window for all.
  run(INPUT "call CHECK_STAFF_QUERY a b c
call BASE64DECODE 1sq87A==
call GETROUTPACKAGE callerno
call GETMONITOR 10003
call SENDSM_UNKNOWN
call
call CHECK_RESULT @${demo}/qc-result-records.xml 1 101 ''
call CHECK_PERSON @${demo}/qc-score-records.xml 1 10003
call CHECK_REPORT @${demo}/qc-score-records.xml 1 '' 10 1
" ARGS repl)
elseif(CASE STREQUAL "arguments")
  # Words and texts from the command line, converted to the host code page and back; a
  # message box of the host.
  run(ARGS call BASE64ENCODE "质检")
  run(ARGS call BASE64ENCODE "€ 丂 ∑")
  run(ARGS call 1005 "欢迎使用质检与公共服务插件")
  run(ARGS call CHECK_STAFF_QUERY "甲" "-" "乙 丙")
elseif(CASE STREQUAL "desk")
  # A desk database made on disk, then words that write to it and read it back.
  run(ARGS make-demo desk.db)
  run(ARGS --server desk.db call SENDSM 202612080930120001 0 0 1 "回访通知" 13800000001
    "您好，请回电。")
  run(ARGS --server desk.db call SENDSM 202612080930120001 0 0 1 "回访通知" 13800000001 "a~b")
  run(ARGS --server desk.db call GETROUTPACKAGE callerno)
elseif(CASE STREQUAL "export")
  # A dataset saved as a text file and as an XLS file, through the save dialog and the column
  # picker: the files' bytes are the same on both platforms (their digests are compared).
  file(WRITE ${WORK}/picker.txt "[TfrmSelectCol]\nclick bbtnSave\n")
  run(INPUT "--answer out.txt call SAVE_DATASET_TO_FILE '' StaffNo~StaffName '' @${demo}/qc-score-records.xml
--answer out.xls call SAVE_DATASET_TO_FILE '' StaffNo~StaffName '' @${demo}/qc-score-records.xml
" ARGS --script picker.txt repl)
  foreach(extension IN ITEMS txt xls)
    set(digest "(no file)")
    if(EXISTS ${WORK}/out.${extension})
      file(SHA256 ${WORK}/out.${extension} digest)
    endif()
    string(APPEND all_out "out.${extension}: ${digest}\n")
  endforeach()
elseif(CASE MATCHES "^test-window-(full|basic)$")
  # The call test window, driven by a script: its call reaches the loaded plug-in through
  # CallDll("Morvane.dll"), whichever edition it is.
  run(INPUT "call TEST\ncall CHECK_STAFF_QUERY after\n"
    ARGS --edition ${CMAKE_MATCH_1} --verbose --script ${SOURCE}/windows-test-window.txt
         --answer no repl)
else()
  message(FATAL_ERROR "no case ${CASE}")
endif()

# The builds' paths, as each prints them, become names.
foreach(stream all_out all_err)
  set(text "${${stream}}")
  string(REGEX REPLACE "CallDll Morvane.dll -> [^\n]*[/\\\\]([^/\\\\\n]+)\n"
    "CallDll Morvane.dll -> $PLUGIN(\\1)\n" text "${text}")
  foreach(platform_name libmorvane.so Morvane.dll libmorvane-basic.so MorvaneBasic.dll)
    if(platform_name MATCHES "basic|Basic")
      string(REPLACE "$PLUGIN(${platform_name})" "$PLUGIN(basic)" text "${text}")
    else()
      string(REPLACE "$PLUGIN(${platform_name})" "$PLUGIN(full)" text "${text}")
    endif()
  endforeach()
  string(REPLACE "${demo}" "$DEMO" text "${text}")
  string(REPLACE "${SOURCE}" "$SOURCE" text "${text}")
  # Windows names the work folder through its drive Z:, with its own separators.
  string(REPLACE "/" "\\" work_on_z "Z:${WORK}")
  string(REPLACE "${work_on_z}\\" "$WORK/" text "${text}")
  string(REPLACE "${WORK}" "$WORK" text "${text}")
  set(${stream} "${text}")
endforeach()

set(expected_out ${SOURCE}/windows-expected/${CASE}.out)
set(expected_err ${SOURCE}/windows-expected/${CASE}.err)
if(UPDATE)
  file(WRITE ${expected_out} "${all_out}")
  file(WRITE ${expected_err} "${all_err}")
  return()
endif()
file(WRITE ${WORK}/actual.out "${all_out}")
file(WRITE ${WORK}/actual.err "${all_err}")
file(READ ${expected_out} want_out)
file(READ ${expected_err} want_err)
# The first line that differs, not the whole output: a report is long.
function(compare what actual expected actual_file)
  if(actual STREQUAL expected)
    return()
  endif()
  string(REPLACE "\n" ";" actual_lines "${actual}")
  string(REPLACE "\n" ";" expected_lines "${expected}")
  list(LENGTH actual_lines actual_count)
  list(LENGTH expected_lines expected_count)
  set(line 0)
  while(line LESS actual_count AND line LESS expected_count)
    list(GET actual_lines ${line} a)
    list(GET expected_lines ${line} e)
    if(NOT a STREQUAL e)
      break()
    endif()
    math(EXPR line "${line} + 1")
  endwhile()
  set(a "(none)")
  set(e "(none)")
  if(line LESS actual_count)
    list(GET actual_lines ${line} a)
  endif()
  if(line LESS expected_count)
    list(GET expected_lines ${line} e)
  endif()
  math(EXPR shown "${line} + 1")
  message(SEND_ERROR "${what} differs from the Linux build's at line ${shown} (all of it in "
    "${actual_file}):\n  expected: ${e}\n  actual:   ${a}")
endfunction()
compare("standard output" "${all_out}" "${want_out}" ${WORK}/actual.out)
compare("standard error" "${all_err}" "${want_err}" ${WORK}/actual.err)

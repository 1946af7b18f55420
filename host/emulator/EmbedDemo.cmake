# Writes a C++ source holding the demo SQL scripts (cmake -P, with DEMO_DIR, OUTPUT and the
# plug-in editions' file names of this platform, FULL_FILE and BASIC_FILE).
file(GLOB scripts ${DEMO_DIR}/*.sql)
list(SORT scripts)
set(body "")
set(table "")
set(index 0)
foreach(script IN LISTS scripts)
  get_filename_component(name ${script} NAME)
  file(READ ${script} text)
  string(REPLACE "@MORVANE_FULL_FILE@" "${FULL_FILE}" text "${text}")
  string(REPLACE "@MORVANE_BASIC_FILE@" "${BASIC_FILE}" text "${text}")
  file(WRITE ${OUTPUT}.script "${text}")
  file(READ ${OUTPUT}.script hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR bytes "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," hex "${hex}")
  string(APPEND body "const char kScript${index}[] = {${hex} 0};\n")
  string(APPEND table "    {\"${name}\", std::string_view(kScript${index}, ${bytes})},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp
  "// Generated from host/emulator/demo/*.sql; do not edit.\n"
  "#include <zeph/emulator/DemoDatabase.h>\n\n"
  "namespace zeph::emulator {\nnamespace {\n${body}\n"
  "const DemoScript kScripts[] = {\n${table}    {\"\", {}}};\n} // namespace\n\n"
  "std::span<const DemoScript> DemoScripts() {\n"
  "    return std::span<const DemoScript>(kScripts, std::size(kScripts) - 1);\n}\n\n"
  "} // namespace zeph::emulator\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)

# Writes OUTPUT: a table of the window classes (classes derived from the toolkit's Form) declared
# in HEADERS (separated by "|"), with a maker for each that an owner alone constructs.
string(REPLACE "|" ";" HEADERS "${HEADERS}")
set(includes "")
set(entries "")
set(pattern "^[ \t]*class[ \t]+(ZEPH_[A-Z_]+[ \t]+)?(T[A-Za-z0-9_]+)[ \t]*(final[ \t]*)?:[ \t]*public[ \t]+((::)?zeph::)?(forms::)?Form([ \t{]|$)")
foreach(header IN LISTS HEADERS)
  file(STRINGS ${header} lines REGEX "${pattern}")
  if(NOT lines)
    continue()
  endif()
  # The window's namespace: the header's last namespace block (forward declarations of the main
  # window in namespace morvane come before it).
  file(STRINGS ${header} namespaces REGEX "^namespace[ \t]+[A-Za-z0-9_:]+[ \t]*{")
  set(scope "")
  foreach(line IN LISTS namespaces)
    string(REGEX MATCH "^namespace[ \t]+([A-Za-z0-9_:]+)" unused "${line}")
    set(scope "${CMAKE_MATCH_1}::")
  endforeach()
  file(RELATIVE_PATH relative ${PLUGIN_DIR} ${header})
  string(APPEND includes "#include \"${relative}\"\n")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "${pattern}" matched "${line}")
    set(name ${CMAKE_MATCH_2})
    string(APPEND entries "        Entry<${scope}${name}>(\"${name}\"),\n")
  endforeach()
endforeach()
file(WRITE ${OUTPUT}.new "// Generated from the plug-in's headers by ListPluginWindows.cmake.
#include \"PluginWindows.h\"

${includes}
namespace zeph::qtforms::testing {

const std::vector<PluginWindow>& PluginWindows() {
    static const std::vector<PluginWindow> windows{
${entries}    };
    return windows;
}

} // namespace zeph::qtforms::testing
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)

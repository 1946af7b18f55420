// CFunction's members live with the facility they belong to: Log (log file and trace, with its
// platform's file, clock and debugger output), Process (command lines and process start),
// Window (windows by title), Registry, Menu, MessageQueue, VersionLayer (file version reader)
// and SystemFacts (machine facts). docs/platform-seams.md lists each platform's files.

#include <tollund/CFunction.h>

CFunction::CFunction() = default;
CFunction::~CFunction() = default;

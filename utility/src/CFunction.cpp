// CFunction's members live with the layer they belong to: LogLayer (log file and trace),
// ProcessLayer (command lines and process start), WindowLayer (X11 windows), RegistryLayer,
// MessageLayer (menus and thread message queues), VersionLayer (file version reader) and
// SystemFacts (machine facts).

#include <tollund/CFunction.h>

CFunction::CFunction() = default;
CFunction::~CFunction() = default;

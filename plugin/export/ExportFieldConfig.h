// The export-field configuration: per agent a file of the columns left out of spreadsheet
// exports, per service. The service is the one on the host's current tab.
#pragma once

#include <zeph/dataset/TClientDataSet.h>

#include <string>
#include <vector>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::exporting {

// The agent's configuration file: program directory + "cfg/exportFieldCfg_" + worker number +
// ".xml".
std::string ExportFieldConfigPath(TInterFacefrmMain& main);

// Fills unticked with the "field=title" lines of the current service and sets serviceId; false
// (and nothing read) when the host names no service. The file is read on first use and kept
// with the main window.
bool ReadExportFieldConfig(TInterFacefrmMain& main, std::vector<std::string>& unticked,
                           std::string& serviceId);

// Replaces the service's lines by unticked and writes the file. A file that cannot be written
// keeps its old content; the failure goes to the host log.
void SaveExportFieldConfig(TInterFacefrmMain& main, const std::string& serviceId,
                           const std::vector<std::string>& unticked);

} // namespace morvane::exporting

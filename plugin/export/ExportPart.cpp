#include "export/ExportPart.h"

#include <zeph/text/HostText.h>

namespace morvane::exporting {

TExportPart::TExportPart(zeph::forms::Component& mainWindow)
    : sd(&mainWindow, "sd")
#if MORVANE_EDITION_FULL
      ,
      SaveDialog(&mainWindow, "SaveDialog"), ZephExportToXLS(&mainWindow, "ZephExportToXLS"),
      ZephExportToExcel(&mainWindow, "ZephExportToExcel"),
      cdsExportFieldCfg(nullptr, "cdsExportFieldCfg")
#endif
{
    sd.DefaultExt = ".xls";
    sd.Filter = "Excel文件|*.xls"_host;
#if MORVANE_EDITION_FULL
    SaveDialog.DefaultExt = ".xls";
    SaveDialog.Filter = "Excel 文件|*.xls|TXT 文件|*.txt"_host;
#endif
}

} // namespace morvane::exporting

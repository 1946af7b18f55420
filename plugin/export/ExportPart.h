// What the main window carries for the dataset export: its save dialogs and, in the full
// edition, the spreadsheet export components and the export-field configuration, read once
// per main window.
#pragma once

#include "core/MainWindowPart.h"

#include <zeph/dataset/TClientDataSet.h>
#include <zeph/forms/Component.h>
#include <zeph/forms/Dialogs.h>

#if MORVANE_EDITION_FULL
#include "export/SpreadsheetExport.h"
#endif

namespace morvane::exporting {

class TExportPart : public TMainWindowPart {
public:
    explicit TExportPart(zeph::forms::Component& mainWindow);

    zeph::forms::SaveDialog sd;
#if MORVANE_EDITION_FULL
    zeph::forms::SaveDialog SaveDialog;
    TSMExportToXLS ZephExportToXLS;
    TSMExportToExcel ZephExportToExcel;
    // The export-field configuration, loaded on first use and kept for the window's life. It is
    // the part's own, not one of the window's resource components.
    zeph::dataset::TClientDataSet cdsExportFieldCfg;
    bool exportFieldCfgLoaded = false;
#endif
};

} // namespace morvane::exporting

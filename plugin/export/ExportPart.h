// What the main window carries for the dataset export: its save dialogs and, in the full
// edition, the spreadsheet export components.
#pragma once

#include "core/MainWindowPart.h"

#include <zeph/forms/Component.h>
#include <zeph/forms/Dialogs.h>

namespace morvane::exporting {

class TExportPart : public TMainWindowPart {
public:
    explicit TExportPart(zeph::forms::Component& mainWindow);

    zeph::forms::SaveDialog sd;
#if MORVANE_EDITION_FULL
    zeph::forms::SaveDialog SaveDialog;
    zeph::forms::Component ZephExportToXLS;
    zeph::forms::Component ZephExportToExcel;
#endif
};

} // namespace morvane::exporting

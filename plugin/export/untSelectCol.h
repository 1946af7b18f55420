// The column picker: a list of the export's columns with tick boxes. Confirming removes the
// unticked columns from the lists and, when asked, names them in an unticked list of
// "field=title" lines, which also decides the columns that start unticked.
#pragma once

#include "export/ExportColumns.h"

#include <zeph/forms/Button.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/ListView.h>

#include <string>
#include <vector>

namespace morvane::exporting {

class TfrmSelectCol : public zeph::forms::Form {
public:
    // unticked: nullptr for the plain picker.
    TfrmSelectCol(zeph::forms::Component* owner, TExportColumns& columns,
                  std::vector<std::string>* unticked);

    zeph::forms::ListView lvSelect{*this, "lvSelect"};
    zeph::forms::Button bbtnSave{*this, "bbtnSave"};
    zeph::forms::Button bbtnCancel{*this, "bbtnCancel"};

    bool Confirmed() const noexcept { return confirmed_; }

private:
    void bbtnSaveClick();
    void bbtnCancelClick();

    TExportColumns& columns_;
    std::vector<std::string>* unticked_;
    bool confirmed_ = false;
};

// Every column starts ticked; true when the person confirmed. The window belongs to owner.
bool SelectColumns(zeph::forms::Component& owner, TExportColumns& columns);
// A column starts unticked when a line of unticked names its field (ignoring case); on
// confirmation unticked is rewritten.
bool SelectColumns(zeph::forms::Component& owner, TExportColumns& columns,
                   std::vector<std::string>& unticked);

} // namespace morvane::exporting

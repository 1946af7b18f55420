// The spreadsheet export component: writes a dataset's columns as an Office Open XML workbook
// (one sheet, a title row, one row per record, a number format per column by field type),
// showing its own progress window, which can stop it.
#pragma once

#include "export/ExportColumns.h"
#include "export/SaveOutcome.h"

#include <zeph/dataset/TClientDataSet.h>
#include <zeph/forms/Component.h>

#include <cstddef>
#include <string>

namespace morvane::exporting {

// The fixed settings of the component on the main window.
struct TSMExportSettings {
    bool titleRow = true;
    bool autoFitColumns = true;
    bool animatedStatus = true;
    std::string sheetName;    // host text
    char dateSeparator = '-'; // dates year-month-day, four-digit years, leading zeros
    char timeSeparator = ':';
    std::string currencyText; // host text
    std::string trueText = "True";
    std::string falseText = "False";
    bool blankIfZero = false;
};

// The widest column, in characters.
inline constexpr int kMaxColumnWidth = 50;
// The most characters a workbook cell holds.
inline constexpr std::size_t kMaxCellCharacters = 32767;

// The number format of a column of this field type ("@" for text).
std::string ColumnNumberFormat(const zeph::dataset::TFieldDef& field,
                               const TSMExportSettings& settings);

class TSMExportToExcel : public zeph::forms::Component {
public:
    TSMExportToExcel(zeph::forms::Component* owner, std::string name);

    TSMExportSettings Settings;

    // The columns whose fields the dataset has, written to the file (host text), which is
    // replaced only by a complete workbook. Failed for a dataset that is not active or has no
    // records, CellTooLong for a cell beyond kMaxCellCharacters (both before anything is
    // written). When the person cancels in the progress window, the rows written so far are
    // saved as the workbook.
    TSaveOutcome Export(const zeph::dataset::TClientDataSet& set, const TExportColumns& columns,
                        const std::string& fileName);
};

// The second component of the main window: the same settings without auto-fit. No word uses it.
class TSMExportToXLS : public zeph::forms::Component {
public:
    TSMExportToXLS(zeph::forms::Component* owner, std::string name);
    TSMExportSettings Settings;
};

} // namespace morvane::exporting

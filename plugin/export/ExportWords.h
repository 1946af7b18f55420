// The dataset export words: a dataset packet saved, in the columns the person picks, to an XLS
// or text file, or to a workbook.
#pragma once

#include <zeph/client/Variant.h>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::exporting {

#if MORVANE_EDITION_FULL
// SAVE_DATASET_TO_FILE: an XLS or text file by the chosen name's extension.
void SaveDatasetToFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
// SAVE_DATASET_TO_EXCEL: a workbook, remembering the columns left out per service.
void SaveDatasetToExcel(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
#endif
// SAVE_DATASET_TO_EXCEL of the basic edition: the XLS file, written by the plug-in itself.
void SaveDatasetToExcelBasic(TInterFacefrmMain& main, const zeph::Variant& Input,
                             zeph::Variant& Output);

} // namespace morvane::exporting

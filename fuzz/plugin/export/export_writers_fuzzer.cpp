// Arbitrary bytes as the packet of an export: the DEFAULT_ORDER rewrite, the columns of a "~"
// list taken from the packet's PARAMS attribute EXPORT, and the XLS, text and workbook writers over
// it. What the writers accept they write whole: the XLS file's size follows from its cells.
#include "export/ExportColumns.h"
#include "export/FileWriters.h"
#include "export/SpreadsheetExport.h"

#include <zeph/dataset/TClientDataSet.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

long long FileBytes(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace exporting = morvane::exporting;
    std::string packet(reinterpret_cast<const char*>(data), size);
    zeph::dataset::TClientDataSet set(nullptr);
    try {
        set.LoadFromXml(exporting::RewriteDefaultOrder(packet));
    } catch (const zeph::dataset::EDataSetError&) {
        return 0;
    }
    std::string fieldList;
    for (const auto& [name, value] : set.Table().Params()) {
        if (name == "EXPORT") {
            fieldList = value;
        }
    }
    exporting::TExportColumns columns = exporting::BuildColumns(set, fieldList, fieldList);
    if (columns.fields.empty()) {
        columns = exporting::BuildColumns(set, fieldList, "");
    }
    exporting::TFileColumns fileColumns{exporting::FieldPositions(set, columns.fields),
                                        columns.titles};
    for (int position : fileColumns.positions) {
        if (position < 0) {
            __builtin_trap(); // only fields the dataset has become columns
        }
    }
    const std::string base = "/tmp/export_fuzz_" + std::to_string(::getpid());
    const std::string xls = base + ".xls";
    if (exporting::WriteXlsFile(xls, set.Table(), fileColumns)) {
        long long expected = 12 + 4;
        for (const std::string& title : columns.titles) {
            expected += 12 + static_cast<long long>(title.size());
        }
        for (std::size_t row = 0; row < set.Table().RowCount(); ++row) {
            for (int position : fileColumns.positions) {
                expected +=
                    12 + static_cast<long long>(
                             set.Table().Value(row, static_cast<std::size_t>(position)).size());
            }
        }
        if (FileBytes(xls) != expected) {
            __builtin_trap();
        }
    } else if (FileBytes(xls) >= 0 && exporting::FitsXls(set.Table(), fileColumns)) {
        __builtin_trap(); // a failed write leaves no file behind
    }
    std::remove(xls.c_str());
    exporting::WriteTextFile(base + ".txt", set.Table(), fileColumns);
    std::remove((base + ".txt").c_str());
    exporting::TSMExportToExcel excel(nullptr, "ZephExportToExcel");
    const std::string book = base + ".xlsx";
    const bool written =
        excel.Export(set, columns, book).kind == exporting::TSaveOutcome::Kind::Saved;
    if (written != (FileBytes(book) > 0)) {
        __builtin_trap(); // true exactly when the workbook is there
    }
    std::remove(book.c_str());
    return 0;
}

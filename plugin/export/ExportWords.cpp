#include "export/ExportWords.h"

#include "core/untZeph.h"
#include "export/ExportColumns.h"
#include "export/ExportPart.h"
#include "export/FileWriters.h"
#include "export/OwnedWindow.h"
#include "export/SaveOutcome.h"
#include "export/untHint.h"
#include "export/untSelectCol.h"

#if MORVANE_EDITION_FULL
#include "export/ExportFieldConfig.h"
#endif

#include <zeph/client/PackageRoutines.h>
#include <zeph/dataset/DataPacket.h>
#include <zeph/platform/Files.h>
#include <zeph/platform/Paths.h>
#include <zeph/platform/ReplacingFile.h>
#include <zeph/text/HostText.h>

#include <functional>
#include <memory>
#include <string>

namespace morvane::exporting {
namespace {

namespace dataset = zeph::dataset;

// What steps 1 to 4 of both words leave: the loaded set, the chosen file and the columns.
struct TExportRequest {
    dataset::TClientDataSet set{nullptr};
    std::string fileName;
    bool overwrite = false;
    TExportColumns columns;
};

std::string InUseSuffix() {
    return "】失败，"_host + "\r\n" + "请确认文件是否正在使用！"_host;
}

void ShowOverwriteFailure(TInterFacefrmMain& main, const std::string& fileName) {
    zeph::ErrorDlg("覆盖文件【"_host + fileName + InUseSuffix(), main.OwnerHandle());
}

void ShowOutcome(TInterFacefrmMain& main, const std::string& fileName, bool saved) {
    if (saved) {
        zeph::InfoDlg("保存文件【"_host + fileName + "】成功!"_host, main.OwnerHandle());
    } else {
        zeph::ErrorDlg("保存文件【"_host + fileName + InUseSuffix(), main.OwnerHandle());
    }
}

// The message of a save; an old file that refused to be replaced has the overwrite message.
void ShowOutcome(TInterFacefrmMain& main, const std::string& fileName, bool overwrite,
                 const TSaveOutcome& outcome) {
    switch (outcome.kind) {
    case TSaveOutcome::Kind::Saved:
    case TSaveOutcome::Kind::Failed:
        ShowOutcome(main, fileName, outcome.kind == TSaveOutcome::Kind::Saved);
        return;
    case TSaveOutcome::Kind::Refused:
        if (overwrite) {
            ShowOverwriteFailure(main, fileName);
        } else {
            ShowOutcome(main, fileName, false);
        }
        return;
    case TSaveOutcome::Kind::CellTooLong:
        zeph::ErrorDlg("保存文件【"_host + fileName + "】失败，"_host + "\r\n" + "第"_host +
                           std::to_string(outcome.row) + "行第"_host +
                           std::to_string(outcome.column) + "列的内容超过32767个字符！"_host,
                       main.OwnerHandle());
        return;
    }
}

// Loads the packet, asks for the file (and whether to overwrite it) and builds the columns.
// Null when the word ends here.
std::unique_ptr<TExportRequest> Prepare(TInterFacefrmMain& main, const zeph::Variant& Input,
                                        zeph::forms::SaveDialog& dialog) {
    const std::string titles = GetInputItem(Input, 2);
    const std::string fields = GetInputItem(Input, 3);
    auto request = std::make_unique<TExportRequest>();
    try {
        request->set.LoadFromXml(RewriteDefaultOrder(GetInputItem(Input, 4)));
    } catch (const dataset::EDataSetError&) {
        zeph::ErrorDlg("传入的数据集不是合法的XML格式"_host, main.OwnerHandle());
        return nullptr;
    }
    if (!dialog.Execute()) {
        return nullptr;
    }
    request->fileName = dialog.FileName;
    if (zeph::platform::FileExists(request->fileName)) {
        const std::string question =
            "文件【"_host + request->fileName + "】已经存在，是否覆盖？"_host;
        if (!zeph::QuesDlg(question, main.OwnerHandle())) {
            return nullptr;
        }
        request->overwrite = true;
    }
    request->columns = BuildColumns(request->set, titles, fields);
    return request;
}

TFileColumns FileColumnsOf(const TExportRequest& request) {
    TFileColumns columns;
    columns.positions = FieldPositions(request.set, request.columns.fields);
    columns.titles = request.columns.titles;
    return columns;
}

// The hint of a file writer: its first text without a bar, then the bar for the records.
void ShowRecordHint(TfrmHint& hint, const TExportRequest& request, const std::string& first,
                    const std::string& second) {
    hint.ShowHint(first, false);
    hint.SetMaximum(static_cast<int>(std::min<std::size_t>(request.set.RecordCount(), 0x7FFFFFFF)));
    hint.SetHintText(second);
}

// The read-only check of the workbook words, which delete an old file before they clear its
// read-only attribute: a read-only file stays (with its attribute cleared by that second step)
// and stops the word with the overwrite message. The file word clears the attribute first, so a
// read-only file never stops it. Nothing else touches the old file before the new one is
// complete.
bool ReadOnlyStops(TInterFacefrmMain& main, const TExportRequest& request) {
    if (!request.overwrite || !zeph::platform::IsReadOnly(request.fileName)) {
        return false;
    }
    zeph::platform::ClearReadOnly(request.fileName);
    ShowOverwriteFailure(main, request.fileName);
    return true;
}

// Writes the file through write (given the temporary file's host-text path) beside the chosen
// one and renames it over that when complete.
TSaveOutcome SaveBeside(const std::string& fileName,
                        const std::function<bool(const std::string&)>& write) {
    zeph::platform::TReplacingFile file(fileName);
    if (!file.Usable()) {
        return TSaveOutcome::Of(false, file);
    }
    if (!write(zeph::platform::HostPath(file.TemporaryPath()))) {
        return {TSaveOutcome::Kind::Failed};
    }
    return TSaveOutcome::Of(file.Commit(), file);
}

// Writes the XLS file in place of the chosen one; refused before anything is touched when the
// records do not fit the format.
TSaveOutcome SaveXls(const TExportRequest& request, const TFileColumns& columns,
                     const TRecordStep& onRecord) {
    if (!FitsXls(request.set.Table(), columns)) {
        return {TSaveOutcome::Kind::Failed};
    }
    return SaveBeside(request.fileName, [&](const std::string& temporary) {
        return WriteXlsFile(temporary, request.set.Table(), columns, onRecord);
    });
}

} // namespace

#if MORVANE_EDITION_FULL

namespace {

// The extension of the file name (from its last dot, after the last separator), upper-cased.
std::string UpperExtension(const std::string& path) {
    const std::string name = zeph::platform::ExtractFileName(path);
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : zeph::text::UpperCase(name.substr(dot));
}

} // namespace

void SaveDatasetToFile(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    std::unique_ptr<TExportRequest> request =
        Prepare(main, Input, main.Part<TExportPart>().SaveDialog);
    if (!request || !SelectColumns(main, request->columns)) {
        return;
    }
    OwnedWindow<TfrmHint> hint(main);
    ShowRecordHint(*hint, *request, "准备导出到文件中"_host, "正在导出文件"_host);
    const std::string extension = UpperExtension(request->fileName);
    const TFileColumns columns = FileColumnsOf(*request);
    TSaveOutcome outcome;
    if (extension == ".XLS") {
        outcome = SaveXls(*request, columns, [&hint] { hint->StepIt(); });
    } else if (extension == ".TXT") {
        outcome = SaveBeside(request->fileName, [&](const std::string& temporary) {
            return WriteTextFile(temporary, request->set.Table(), columns);
        });
    } else {
        // Another extension writes nothing, and leaves an old file alone.
        return;
    }
    ShowOutcome(main, request->fileName, request->overwrite, outcome);
}

void SaveDatasetToExcel(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    TExportPart& part = main.Part<TExportPart>();
    std::unique_ptr<TExportRequest> request = Prepare(main, Input, part.sd);
    if (!request) {
        return;
    }
    std::vector<std::string> unticked;
    std::string serviceId;
    const bool configured = ReadExportFieldConfig(main, unticked, serviceId);
    const bool confirmed = configured ? SelectColumns(main, request->columns, unticked)
                                      : SelectColumns(main, request->columns);
    if (!confirmed) {
        return;
    }
    {
        OwnedWindow<TfrmHint> hint(main);
        hint->ShowHint("准备将导出到Excel中"_host, false);
        if (ReadOnlyStops(main, *request)) {
            return;
        }
        const TSaveOutcome outcome =
            part.ZephExportToExcel.Export(request->set, request->columns, request->fileName);
        if (outcome.kind == TSaveOutcome::Kind::Refused && request->overwrite) {
            // The old file could not be removed: as the overwrite check, the configuration
            // is not saved.
            ShowOverwriteFailure(main, request->fileName);
            return;
        }
        ShowOutcome(main, request->fileName, request->overwrite, outcome);
    }
    if (!serviceId.empty()) {
        SaveExportFieldConfig(main, serviceId, unticked);
    }
}

#endif

void SaveDatasetToExcelBasic(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant&) {
    std::unique_ptr<TExportRequest> request = Prepare(main, Input, main.Part<TExportPart>().sd);
    if (!request || !SelectColumns(main, request->columns)) {
        return;
    }
    OwnedWindow<TfrmHint> hint(main);
    ShowRecordHint(*hint, *request, "准备将导出到Excel中"_host, "正在导出Excel文件"_host);
    if (ReadOnlyStops(main, *request)) {
        return;
    }
    ShowOutcome(main, request->fileName, request->overwrite,
                SaveXls(*request, FileColumnsOf(*request), [&hint] { hint->StepIt(); }));
}

} // namespace morvane::exporting

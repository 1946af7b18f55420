#include "export/ExportFieldConfig.h"

#include "core/untZeph.h"
#include "export/ExportPart.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/platform/Files.h>
#include <zeph/platform/Paths.h>
#include <zeph/platform/ReplacingFile.h>
#include <zeph/text/HostText.h>

#include <fstream>
#include <iterator>

namespace morvane::exporting {
namespace {

namespace dataset = zeph::dataset;

constexpr const char* kServiceId = "SERVICEID";
constexpr const char* kField = "NOCHECKEDFIELD";
constexpr const char* kTitle = "NOCHECKEDTITLE";

dataset::TRecordTable EmptyConfig() {
    dataset::TRecordTable table;
    table.AddField({kServiceId, "string", 20, {}});
    table.AddField({kField, "string", 200, {}});
    table.AddField({kTitle, "string", 200, {}});
    return table;
}

bool HasConfigFields(const dataset::TClientDataSet& set) {
    return set.FindField(kServiceId) >= 0 && set.FindField(kField) >= 0 &&
           set.FindField(kTitle) >= 0;
}

// The file as a record set; a file that is absent, unreadable or not a configuration gives
// an empty one.
void LoadConfig(dataset::TClientDataSet& set, const std::string& path) {
    if (zeph::platform::FileExists(path)) {
        // A read-only file would refuse the next save.
        zeph::platform::ClearReadOnly(path);
        std::ifstream in(zeph::platform::NativePath(path), std::ios::binary);
        std::string packet((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        try {
            set.LoadFromXml(packet);
        } catch (const dataset::EDataSetError&) {
            set.Close();
        }
    }
    if (!set.Active() || !HasConfigFields(set)) {
        set.LoadFromTable(EmptyConfig());
    }
}

} // namespace

std::string ExportFieldConfigPath(TInterFacefrmMain& main) {
    return zeph::platform::ProgramDirectory() + "cfg/exportFieldCfg_" +
           main.ZephClient.GetWorkerNO() + ".xml";
}

bool ReadExportFieldConfig(TInterFacefrmMain& main, std::vector<std::string>& unticked,
                           std::string& serviceId) {
    unticked.clear();
    serviceId.clear();
    zeph::Variant input = zeph::Variant::Array(0, 2);
    input[0] = "GETCURTABINFO";
    input[1] = "";
    input[2] = "";
    zeph::Variant output;
    if (!main.ZephClient.CallDll("Dorvik.dll", input, output, false) || !output.IsArray() ||
        output.HighBound() <= 1) {
        return false;
    }
    serviceId = output[1].AsText();
    if (serviceId.empty()) {
        return false;
    }
    TExportPart& part = main.Part<TExportPart>();
    if (!part.exportFieldCfgLoaded) {
        LoadConfig(part.cdsExportFieldCfg, ExportFieldConfigPath(main));
        part.exportFieldCfgLoaded = true;
    }
    dataset::TClientDataSet& set = part.cdsExportFieldCfg;
    if (!set.Active()) {
        return false;
    }
    set.SetFilter({{kServiceId, serviceId}});
    const std::size_t field = static_cast<std::size_t>(set.FindField(kField));
    const std::size_t title = static_cast<std::size_t>(set.FindField(kTitle));
    for (set.First(); !set.Eof(); set.Next()) {
        unticked.push_back(std::string(set.Value(field)) + "=" + std::string(set.Value(title)));
    }
    set.FilterOff();
    return true;
}

void SaveExportFieldConfig(TInterFacefrmMain& main, const std::string& serviceId,
                           const std::vector<std::string>& unticked) {
    TExportPart& part = main.Part<TExportPart>();
    dataset::TClientDataSet& set = part.cdsExportFieldCfg;
    if (serviceId.empty() || !set.Active()) {
        return;
    }
    // The other services' lines in their order, then this service's.
    dataset::TRecordTable table = EmptyConfig();
    const std::size_t service = static_cast<std::size_t>(set.FindField(kServiceId));
    const std::size_t field = static_cast<std::size_t>(set.FindField(kField));
    const std::size_t title = static_cast<std::size_t>(set.FindField(kTitle));
    const dataset::TRecordTable& old = set.Table();
    for (std::size_t row = 0; row < old.RowCount(); ++row) {
        if (old.Value(row, service) != serviceId) {
            table.AppendRow(
                {old.Value(row, service), old.Value(row, field), old.Value(row, title)});
        }
    }
    for (const std::string& line : unticked) {
        std::size_t equals = line.find('=');
        std::string_view name = std::string_view(line).substr(0, equals);
        std::string_view value = equals == std::string::npos
                                     ? std::string_view()
                                     : std::string_view(line).substr(equals + 1);
        table.AppendRow({serviceId, name, value});
    }
    std::string packet = dataset::WriteDataPacket(table);
    set.LoadFromTable(std::move(table));
    const std::string path = ExportFieldConfigPath(main);
    std::string why = zeph::platform::ReplaceFile(path, packet);
    if (!why.empty()) {
        main.ZephClient.WriteLog("保存导出字段配置文件失败："_host + path + " (" + why + ")", "");
    }
}

} // namespace morvane::exporting

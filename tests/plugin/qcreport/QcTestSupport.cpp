#include "QcTestSupport.h"

namespace qctest {

std::string BuildPacket(const std::vector<std::string>& fields,
                        const std::vector<std::vector<std::string>>& rows) {
    zeph::dataset::TRecordTable table;
    for (const std::string& f : fields) {
        table.AddField({G(f), "string", 0, {}});
    }
    for (const auto& row : rows) {
        std::vector<std::string> values;
        for (const std::string& v : row) {
            values.push_back(G(v));
        }
        std::vector<std::string_view> views(values.begin(), values.end());
        table.AppendRow(views);
    }
    return zeph::dataset::WriteDataPacket(table);
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += G(line);
        text += '\r';
    }
    return text;
}

std::string TestServices::GetSysParam(const std::string& module, const std::string& number) {
    calls.push_back({"GetSysParam", module, number, "", 0, 0});
    return scoringMode;
}

bool TestServices::StoreProcedure(const std::string& procedure, const std::string& parameters,
                                  zeph::Variant& result) {
    calls.push_back({"StoreProcedure", procedure, parameters, "", 0, 0});
    result = zeph::Variant::ArrayOf({"True", "", itemSql, "", ""});
    return storeProcedureResult;
}

bool TestServices::OpenBySQL(const std::string& serverFlag, const std::string& sql,
                             const std::string& parameters, zeph::Variant& data, int first,
                             int second) {
    calls.push_back({"OpenBySQL", serverFlag, sql, parameters, first, second});
    if (sql == itemSql) {
        if (itemQueryResult && !itemPacket.empty()) {
            data = itemPacket;
        }
        return itemQueryResult;
    }
    if (contentQueryResult && !contentPacket.empty()) {
        data = contentPacket;
    }
    return contentQueryResult;
}

ServicesScope::ServicesScope()
    : services_(std::make_shared<TestServices>()), previous_(zeph::InstallHostServices(services_)) {
}

ServicesScope::~ServicesScope() {
    zeph::InstallHostServices(previous_);
}

} // namespace qctest

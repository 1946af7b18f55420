#include "QcTestSupport.h"

namespace qctest {

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += G(line);
        text += '\r';
    }
    return text;
}

TestServices::TestServices() {
    staffCityId = "591";
    onStoreProcedure = [this](const std::string&, const std::string&, zeph::Variant& result) {
        result = zeph::Variant::ArrayOf({"True", "", itemSql, "", ""});
        return storeProcedureResult;
    };
    onOpenBySQL = [this](const std::string&, const std::string& sql, const std::string&,
                         zeph::Variant& data) {
        const bool items = sql == itemSql;
        const bool ok = items ? itemQueryResult : contentQueryResult;
        const std::string& packet = items ? itemPacket : contentPacket;
        if (ok && !packet.empty()) {
            data = packet;
        }
        return ok;
    };
}

std::string TestServices::GetSysParam(const std::string& module, const std::string& number) {
    FakeHostServices::GetSysParam(module, number); // recorded
    return scoringMode;
}

} // namespace qctest

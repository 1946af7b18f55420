#include "BulletinFixture.h"

#include "editions/Editions.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>

#include <string_view>

namespace bulletin_test {

using zeph::text::Utf8ToGbk;

BulletinFixture::BulletinFixture() {
    services->workerNo = "10001";
    services->staffCityId = "0571";
    services->encodePass = "ZW5jb2RlZA==";
    services->loadedModules = {"BN"};
    server.SetAnswer("发送成功");
    lists["GETIPPORT"] = {{"Class", "IP", "Port"},
                          {{"QC", "127.0.0.1", "1"},
                           {"BN", "127.0.0.1", std::to_string(server.Port())},
                           {"BN", "127.0.0.2", "2"}}};
    lists["GETBULLETINTYPE"] = {{"TypeID", "TypeName"},
                                {{"1", Utf8ToGbk("业务通知")}, {"2", Utf8ToGbk("系统公告")}}};
    lists["GETCALLCAUSECFG"] = {{"ID", "Caption"},
                                {{"01", Utf8ToGbk("话费查询")}, {"02", Utf8ToGbk("网络故障")}}};
    lists["GETGROUPBYSTAFFNO"] = {
        {"ClassID", "ClassName"},
        {{"G01", Utf8ToGbk("一组")}, {"G02", Utf8ToGbk("二组")}, {"g03", Utf8ToGbk("三组")}}};
    lists["GETSTAFFBYSTAFFNOEX"] = {
        {"StaffNo", "StaffName", "ClassID"},
        {{"10002", Utf8ToGbk("张三"), "G01"}, {"10003", Utf8ToGbk("李四"), "G02"}}};
    lists["GETSTAFFBYSTAFFNO"] = {{"StaffNo", "StaffName"}, {{"20001", Utf8ToGbk("王五")}}};
    services->onStoreProcedure = [this](const std::string& procedure, const std::string& parameters,
                                        zeph::Variant& result) {
        if (procedure != "P_QUERY_MORVANE_DLL") {
            return false;
        }
        const std::string flag = parameters.substr(0, parameters.find('~'));
        auto found = lists.find(flag);
        if (found == lists.end() || found->second.fails) {
            result = zeph::Variant::ArrayOf({false, "failed", -1});
            return false;
        }
        const ServerList& list = found->second;
        zeph::dataset::TRecordTable table;
        for (const std::string& field : list.fields) {
            zeph::dataset::TFieldDef def;
            def.name = field;
            table.AddField(def);
        }
        for (const auto& row : list.rows) {
            std::vector<std::string_view> values(row.begin(), row.end());
            table.AppendRow(values);
        }
        result = zeph::Variant::Array(0, list.highBound);
        result[0] = true;
        result[1] = "";
        result[2] = list.returnCode;
        if (list.highBound >= 4) {
            result[4] = zeph::dataset::WriteDataPacket(table);
        }
        return true;
    };
    main = std::make_unique<morvane::TInterFacefrmMain>(nullptr, morvane::BuiltEdition());
}

BulletinFixture::~BulletinFixture() {
    main.reset();
}

std::vector<std::string> BulletinFixture::ProcedureCalls() {
    std::vector<std::string> calls;
    for (const auto& call : services->calls) {
        if (call.operation == "StoreProcedure") {
            calls.push_back(call.second);
        }
    }
    return calls;
}

std::vector<SoapTestServer::Request> BulletinFixture::Calls() const {
    std::vector<SoapTestServer::Request> calls;
    for (auto& request : server.Requests()) {
        if (request.method == "POST") {
            calls.push_back(request);
        }
    }
    return calls;
}

std::vector<std::string> BulletinFixture::Params(const SoapTestServer::Request& call) {
    std::vector<std::string> params;
    for (const auto& param : call.received) {
        EXPECT_EQ(param.type, "xsd:string") << param.name;
        params.push_back(param.name + "=" + param.text);
    }
    return params;
}

void BulletinFixture::ExpectNoFailures() {
    for (const std::string& failure : ui->Failures()) {
        ADD_FAILURE() << failure;
    }
    EXPECT_EQ(ui->UnusedAnswers(), 0u);
}

} // namespace bulletin_test

// What the quality-check tests share: packets built from rows the test defines, and host
// services that answer the item and content queries with such packets.
#pragma once

#include <zeph/client/HostServices.h>
#include <zeph/client/TZephClient.h>
#include <zeph/dataset/DataPacket.h>

#include <memory>
#include <string>
#include <vector>

namespace qctest {

// Host text of a UTF-8 source text.
inline std::string G(const std::string& utf8) {
    return zeph::text::Utf8ToGbk(utf8);
}

// A packet of host text: field names and rows of UTF-8 texts.
std::string BuildPacket(const std::vector<std::string>& fields,
                        const std::vector<std::vector<std::string>>& rows);

// Expected report text: lines given in UTF-8 without their ends, each ended by one CR.
std::string Lines(const std::vector<std::string>& lines);

struct ServerCall {
    std::string operation;
    std::string first;  // procedure or server flag
    std::string second; // parameter text or SQL
    std::string third;  // parameter text of OpenBySQL
    int a = 0;
    int b = 0;
};

// Host services of a test: the item procedure returns itemSql in [2]; OpenBySQL answers the
// item statement with itemPacket and the content statement with contentPacket.
class TestServices : public zeph::HostServices {
public:
    std::string itemSql = "select Name, ItemID from t_qc_item";
    std::string itemPacket;
    std::string contentPacket;
    bool storeProcedureResult = true;
    bool itemQueryResult = true;
    bool contentQueryResult = true;
    std::string scoringMode = "N";
    std::vector<ServerCall> calls;

    const zeph::TRoutPackage* GetRoutPackage() override { return nullptr; }
    std::string GetSysParam(const std::string& module, const std::string& number) override;
    bool HasAuth(const std::string&, const std::string&) override { return false; }
    bool HadLoadModule(const std::string&, const std::string&) override { return false; }
    std::string GetWorkerNO() override { return "1001"; }
    std::string GetStaffCityID() override { return "591"; }
    std::string GetEnCodePass() override { return ""; }
    zeph::Variant GetPublicData(const std::string&) override { return {}; }
    bool StoreProcedure(const std::string& procedure, const std::string& parameters,
                        zeph::Variant& result) override;
    bool OpenBySQL(const std::string& serverFlag, const std::string& sql,
                   const std::string& parameters, zeph::Variant& data, int first,
                   int second) override;
    bool OpenByServerFlag(const std::string&, const std::string&, zeph::Variant&, int,
                          int) override {
        return false;
    }
    bool FTPDownLoad(const std::string&, const std::string&, const std::string&) override {
        return false;
    }
    void BeginPlayFile(const std::string&) override {}
    bool CallDll(const std::string&, const zeph::Variant&, zeph::Variant&, bool) override {
        return false;
    }
    void WriteLog(const std::string&, const std::string&) override {}
};

// Installs fresh services for one test and restores the previous ones afterwards.
class ServicesScope {
public:
    ServicesScope();
    ~ServicesScope();
    ServicesScope(const ServicesScope&) = delete;
    ServicesScope& operator=(const ServicesScope&) = delete;
    TestServices& operator*() { return *services_; }
    TestServices* operator->() { return services_.get(); }

private:
    std::shared_ptr<TestServices> services_;
    std::shared_ptr<zeph::HostServices> previous_;
};

} // namespace qctest

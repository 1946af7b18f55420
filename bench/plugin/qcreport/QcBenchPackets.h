// Generated input packets of quality-check records and the server lists that go with them:
// 2,000 staff, 20 contents, 30 items.
#pragma once

#include <zeph/client/HostServices.h>

#include <string>

namespace qcbench {

inline constexpr int kStaff = 2000;
inline constexpr int kContents = 20;
inline constexpr int kItems = 30;

enum class Kind { CheckResult, SkillReport, CheckReport, CheckPerson, IpTable };

// A packet of host text with the given number of records for one conversion.
std::string InputPacket(Kind kind, int records);

// Host services answering the item and content queries.
class BenchServices : public zeph::HostServices {
public:
    BenchServices();
    const zeph::TRoutPackage* GetRoutPackage() override { return nullptr; }
    std::string GetSysParam(const std::string&, const std::string&) override { return "Y"; }
    bool HasAuth(const std::string&, const std::string&) override { return false; }
    bool HadLoadModule(const std::string&, const std::string&) override { return false; }
    std::string GetWorkerNO() override { return "1"; }
    std::string GetStaffCityID() override { return "1"; }
    std::string GetEnCodePass() override { return ""; }
    zeph::Variant GetPublicData(const std::string&) override { return {}; }
    bool StoreProcedure(const std::string&, const std::string&, zeph::Variant& result) override;
    bool OpenBySQL(const std::string&, const std::string& sql, const std::string&,
                   zeph::Variant& data, int, int) override;
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

private:
    std::string items_;
    std::string contents_;
};

} // namespace qcbench

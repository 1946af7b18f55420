// Host services for the small-service tests: a routing package, system parameters and public
// datasets set by the test, and FTPDownLoad as a real libcurl download from an FTP server.
#pragma once

#include <zeph/client/HostServices.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace services_test {

class TestHostServices final : public zeph::HostServices {
public:
    struct Download {
        std::string remoteDir, localDir, fileName;
        bool ok = false;
    };

    std::optional<zeph::TRoutPackage> routPackage;
    std::map<std::string, std::string> sysParams; // "MODULE/NUMBER" -> value
    std::map<std::string, zeph::Variant> publicData;
    std::string ftpBaseUrl; // "ftp://127.0.0.1:port"; empty: every download fails
    std::vector<Download> downloads;
    std::vector<std::string> sysParamRequests;

    const zeph::TRoutPackage* GetRoutPackage() override {
        return routPackage ? &*routPackage : nullptr;
    }
    std::string GetSysParam(const std::string& module, const std::string& number) override;
    zeph::Variant GetPublicData(const std::string& name) override;
    bool FTPDownLoad(const std::string& remoteDir, const std::string& localDir,
                     const std::string& fileName) override;

    bool HasAuth(const std::string&, const std::string&) override { return false; }
    bool HadLoadModule(const std::string&, const std::string&) override { return false; }
    std::string GetWorkerNO() override { return "1001"; }
    std::string GetStaffCityID() override { return "0571"; }
    std::string GetEnCodePass() override { return {}; }
    bool StoreProcedure(const std::string&, const std::string&, zeph::Variant&) override {
        return false;
    }
    bool OpenBySQL(const std::string&, const std::string&, const std::string&, zeph::Variant&, int,
                   int) override {
        return false;
    }
    bool OpenByServerFlag(const std::string&, const std::string&, zeph::Variant&, int,
                          int) override {
        return false;
    }
    void BeginPlayFile(const std::string&) override {}
    bool CallDll(const std::string&, const zeph::Variant&, zeph::Variant&, bool) override {
        return false;
    }
    void WriteLog(const std::string&, const std::string&) override {}
};

} // namespace services_test

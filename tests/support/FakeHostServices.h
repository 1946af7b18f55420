// The host services of tests, benchmarks and fuzz targets: every operation answers from fields
// the caller sets, or from a hook the caller installs, and records what it was asked.
#pragma once

#include <zeph/client/HostServices.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zeph::testing {

class FakeHostServices : public HostServices {
public:
    // One call of a server operation, as the plug-in made it.
    struct ServerCall {
        std::string operation; // "GetSysParam", "StoreProcedure", "OpenBySQL", "OpenByServerFlag"
        std::string first;     // procedure or server flag
        std::string second;    // parameter text or SQL
        std::string third;     // parameter text of OpenBySQL
        int a = 0;
        int b = 0;
    };

    std::optional<TRoutPackage> routPackage;
    std::map<std::string, std::string> sysParams; // "MODULE/NUMBER" -> value
    std::string defaultSysParam;                  // for a pair not in sysParams
    std::map<std::string, Variant> publicData;
    std::set<std::string> rights;        // "MODULE/RIGHT" the agent holds
    std::set<std::string> loadedModules; // modules HadLoadModule says are loaded
    std::string workerNo = "1001";
    std::string staffCityId = "0571";
    std::string encodePass;

    // Server operations; without a hook each fails.
    std::function<bool(const std::string& procedure, const std::string& parameters,
                       Variant& result)>
        onStoreProcedure;
    std::function<bool(const std::string& serverFlag, const std::string& sql,
                       const std::string& parameters, Variant& data)>
        onOpenBySQL;
    std::function<bool(const std::string& serverFlag, const std::string& parameters, Variant& data)>
        onOpenByServerFlag;
    std::function<bool(const std::string& remoteDir, const std::string& localDir,
                       const std::string& fileName)>
        onFtpDownload;
    std::function<bool(const std::string& library, const Variant& input, Variant& output,
                       bool option)>
        onCallDll;

    // What was asked. Long runs (benchmarks, fuzzing) turn the recording off.
    bool recordCalls = true;
    std::vector<ServerCall> calls;
    std::vector<std::string> sysParamRequests; // "MODULE/NUMBER"
    std::vector<std::string> playedFiles;
    std::vector<std::string> logLines;

    const TRoutPackage* GetRoutPackage() override { return routPackage ? &*routPackage : nullptr; }
    std::string GetSysParam(const std::string& module, const std::string& number) override;
    bool HasAuth(const std::string& module, const std::string& rightId) override {
        return rights.count(module + "/" + rightId) != 0;
    }
    bool HadLoadModule(const std::string& module, const std::string&) override {
        return loadedModules.count(module) != 0;
    }
    std::string GetWorkerNO() override { return workerNo; }
    std::string GetStaffCityID() override { return staffCityId; }
    std::string GetEnCodePass() override { return encodePass; }
    Variant GetPublicData(const std::string& name) override;
    bool StoreProcedure(const std::string& procedure, const std::string& parameters,
                        Variant& result) override;
    bool OpenBySQL(const std::string& serverFlag, const std::string& sql,
                   const std::string& parameters, Variant& data, int first, int second) override;
    bool OpenByServerFlag(const std::string& serverFlag, const std::string& parameters,
                          Variant& data, int first, int second) override;
    bool FTPDownLoad(const std::string& remoteDir, const std::string& localDir,
                     const std::string& fileName) override;
    void BeginPlayFile(const std::string& fileName) override {
        if (recordCalls) {
            playedFiles.push_back(fileName);
        }
    }
    bool CallDll(const std::string& library, const Variant& input, Variant& output,
                 bool option) override;
    void WriteLog(const std::string& text, const std::string&) override {
        if (recordCalls) {
            logLines.push_back(text);
        }
    }
};

// Installs services of type T for a scope and puts the previous ones back afterwards.
template <typename T = FakeHostServices>
class ServicesScope {
public:
    ServicesScope() : services_(std::make_shared<T>()), previous_(InstallHostServices(services_)) {}
    ~ServicesScope() { InstallHostServices(previous_); }
    ServicesScope(const ServicesScope&) = delete;
    ServicesScope& operator=(const ServicesScope&) = delete;

    T& operator*() { return *services_; }
    T* operator->() { return services_.get(); }
    std::shared_ptr<T> Shared() const { return services_; }

private:
    std::shared_ptr<T> services_;
    std::shared_ptr<HostServices> previous_;
};

} // namespace zeph::testing

// The host's client component: the event through which requests arrive, and the operations
// through which the plug-in reaches the host and the servers.
#pragma once

#include <zeph/client/HostServices.h>
#include <zeph/client/Variant.h>
#include <zeph/component/Component.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace zeph {

// Raised by an operation when the host has installed no services.
class ZEPH_HOST_API EZephClientError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ZEPH_HOST_API TZephClient : public component::Component {
public:
    // sender, a further argument, Input, Output.
    using TCalledEvent = std::function<void(component::Component* sender, int further,
                                            const Variant& input, Variant& output)>;

    explicit TZephClient(component::Component* owner, std::string name = "ZephClient");

    TCalledEvent OnCalled;

    // Raises OnCalled; what the host stand-in does for each delivered request.
    void Call(const Variant& input, Variant& output, int further = 0);

    const TRoutPackage* GetRoutPackage();
    std::string GetSysParam(const std::string& module, const std::string& number);
    bool HasAuth(const std::string& module, const std::string& rightId);
    bool HadLoadModule(const std::string& module, const std::string& second);
    std::string GetWorkerNO();
    std::string GetStaffCityID();
    std::string GetEnCodePass();
    Variant GetPublicData(const std::string& name);
    bool StoreProcedure(const std::string& procedure, const std::string& parameters,
                        Variant& result);
    bool OpenBySQL(const std::string& serverFlag, const std::string& sql,
                   const std::string& parameters, Variant& data, int first, int second);
    bool OpenByServerFlag(const std::string& serverFlag, const std::string& parameters,
                          Variant& data, int first, int second);
    bool FTPDownLoad(const std::string& remoteDir, const std::string& localDir,
                     const std::string& fileName);
    void BeginPlayFile(const std::string& fileName);
    bool CallDll(const std::string& libraryFileName, const Variant& input, Variant& output,
                 bool option);
    void WriteLog(const std::string& text, const std::string& second);

private:
    std::shared_ptr<HostServices> Services();
};

} // namespace zeph

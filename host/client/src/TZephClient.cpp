#include <zeph/client/TZephClient.h>

#include <mutex>

namespace zeph {
namespace {

std::mutex& ServicesMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<HostServices>& ServicesSlot() {
    static std::shared_ptr<HostServices> services;
    return services;
}

} // namespace

std::shared_ptr<HostServices> InstallHostServices(std::shared_ptr<HostServices> services) {
    std::lock_guard lock(ServicesMutex());
    auto previous = std::move(ServicesSlot());
    ServicesSlot() = std::move(services);
    return previous;
}

std::shared_ptr<HostServices> InstalledHostServices() {
    std::lock_guard lock(ServicesMutex());
    return ServicesSlot();
}

TZephClient::TZephClient(component::Component* owner, std::string name)
    : component::Component(owner, std::move(name)) {}

void TZephClient::Call(const Variant& input, Variant& output, int further) {
    if (OnCalled) {
        OnCalled(this, further, input, output);
    }
}

std::shared_ptr<HostServices> TZephClient::Services() {
    // The caller holds the services for the whole operation, so a host that installs others
    // meanwhile (CallDll into a second plug-in, say) cannot free them under it.
    auto services = InstalledHostServices();
    if (!services) {
        throw EZephClientError("The host has not installed its client services");
    }
    return services;
}

const TRoutPackage* TZephClient::GetRoutPackage() {
    return Services()->GetRoutPackage();
}

std::string TZephClient::GetSysParam(const std::string& module, const std::string& number) {
    return Services()->GetSysParam(module, number);
}

bool TZephClient::HasAuth(const std::string& module, const std::string& rightId) {
    return Services()->HasAuth(module, rightId);
}

bool TZephClient::HadLoadModule(const std::string& module, const std::string& second) {
    return Services()->HadLoadModule(module, second);
}

std::string TZephClient::GetWorkerNO() {
    return Services()->GetWorkerNO();
}
std::string TZephClient::GetStaffCityID() {
    return Services()->GetStaffCityID();
}
std::string TZephClient::GetEnCodePass() {
    return Services()->GetEnCodePass();
}

Variant TZephClient::GetPublicData(const std::string& name) {
    return Services()->GetPublicData(name);
}

bool TZephClient::StoreProcedure(const std::string& procedure, const std::string& parameters,
                                 Variant& result) {
    return Services()->StoreProcedure(procedure, parameters, result);
}

bool TZephClient::OpenBySQL(const std::string& serverFlag, const std::string& sql,
                            const std::string& parameters, Variant& data, int first, int second) {
    return Services()->OpenBySQL(serverFlag, sql, parameters, data, first, second);
}

bool TZephClient::OpenByServerFlag(const std::string& serverFlag, const std::string& parameters,
                                   Variant& data, int first, int second) {
    return Services()->OpenByServerFlag(serverFlag, parameters, data, first, second);
}

bool TZephClient::FTPDownLoad(const std::string& remoteDir, const std::string& localDir,
                              const std::string& fileName) {
    return Services()->FTPDownLoad(remoteDir, localDir, fileName);
}

void TZephClient::BeginPlayFile(const std::string& fileName) {
    Services()->BeginPlayFile(fileName);
}

bool TZephClient::CallDll(const std::string& libraryFileName, const Variant& input, Variant& output,
                          bool option) {
    return Services()->CallDll(libraryFileName, input, output, option);
}

void TZephClient::WriteLog(const std::string& text, const std::string& second) {
    Services()->WriteLog(text, second);
}

} // namespace zeph

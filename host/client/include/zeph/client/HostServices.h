// What a host provides behind TZephClient. The host program installs one implementation at
// start-up (the emulator's is SQLite-backed; tests install their own).
#pragma once

#include <zeph/client/Variant.h>

#include <memory>
#include <string>

namespace zeph {

// The current call's routing data: a packed 926-byte record.
inline constexpr std::size_t kRoutPackageSize = 926;
struct TRoutPackage {
    unsigned char bytes[kRoutPackageSize];
};

class ZEPH_HOST_API HostServices {
public:
    virtual ~HostServices() = default;

    // nullptr when there is no current call.
    virtual const TRoutPackage* GetRoutPackage() = 0;
    virtual std::string GetSysParam(const std::string& module, const std::string& number) = 0;
    virtual bool HasAuth(const std::string& module, const std::string& rightId) = 0;
    virtual bool HadLoadModule(const std::string& module, const std::string& second) = 0;
    virtual std::string GetWorkerNO() = 0;
    virtual std::string GetStaffCityID() = 0;
    virtual std::string GetEnCodePass() = 0;
    virtual Variant GetPublicData(const std::string& name) = 0;
    virtual bool StoreProcedure(const std::string& procedure, const std::string& parameters,
                                Variant& result) = 0;
    virtual bool OpenBySQL(const std::string& serverFlag, const std::string& sql,
                           const std::string& parameters, Variant& data, int first, int second) = 0;
    virtual bool OpenByServerFlag(const std::string& serverFlag, const std::string& parameters,
                                  Variant& data, int first, int second) = 0;
    virtual bool FTPDownLoad(const std::string& remoteDir, const std::string& localDir,
                             const std::string& fileName) = 0;
    virtual void BeginPlayFile(const std::string& fileName) = 0;
    virtual bool CallDll(const std::string& libraryFileName, const Variant& input, Variant& output,
                         bool option) = 0;
    virtual void WriteLog(const std::string& text, const std::string& second) = 0;
};

// Installs the services every TZephClient forwards to; returns the previous ones.
ZEPH_HOST_API std::shared_ptr<HostServices>
InstallHostServices(std::shared_ptr<HostServices> services);
ZEPH_HOST_API std::shared_ptr<HostServices> InstalledHostServices();

} // namespace zeph

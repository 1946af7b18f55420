// The host services of one agent's desk, all configured in the desk database: the logged-in
// agent, modules, rights, system parameters, public datasets, the routing package, the FTP server,
// the player, the log file and the libraries CallDll reaches.
#pragma once

#include <zeph/client/HostServices.h>
#include <zeph/emulator/ApplicationServer.h>
#include <zeph/emulator/Database.h>
#include <zeph/emulator/PluginLibrary.h>
#include <zeph/forms/Types.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>

namespace zeph::emulator {

class DeskServices final : public HostServices {
public:
    // The database must outlive the services.
    explicit DeskServices(Database& db);

    // The window handle libraries reached by CallDll are shown with.
    void SetHostWindow(forms::WindowHandle handle) noexcept { hostWindow_ = handle; }
    // Directory that "$LIBDIR" stands for in dll_library paths (the loaded plug-in's).
    void SetLibraryDir(std::string dir) { libraryDir_ = std::move(dir); }
    // The plug-in the host has loaded: "Morvane.dll" names it, whatever dll_library says, so a
    // plug-in calling "Morvane.dll" reaches itself in the edition the host runs.
    void SetLoadedPlugin(std::string path) { loadedPlugin_ = std::move(path); }
    // Overrides desk_setting log_file.
    void SetLogFile(std::string path) { logFileOverride_ = std::move(path); }
    // Traces every request and its outcome, one UTF-8 line each ("Server: ...").
    void SetTrace(std::ostream* trace) noexcept { trace_ = trace; }

    // desk_setting value (UTF-8), or fallback.
    std::string Setting(const std::string& name, const std::string& fallback = {});

    const TRoutPackage* GetRoutPackage() override;
    std::string GetSysParam(const std::string& module, const std::string& number) override;
    bool HasAuth(const std::string& module, const std::string& rightId) override;
    bool HadLoadModule(const std::string& module, const std::string& second) override;
    std::string GetWorkerNO() override;
    std::string GetStaffCityID() override;
    std::string GetEnCodePass() override;
    Variant GetPublicData(const std::string& name) override;
    bool StoreProcedure(const std::string& procedure, const std::string& parameters,
                        Variant& result) override;
    bool OpenBySQL(const std::string& serverFlag, const std::string& sql,
                   const std::string& parameters, Variant& data, int first, int second) override;
    bool OpenByServerFlag(const std::string& serverFlag, const std::string& parameters,
                          Variant& data, int first, int second) override;
    bool FTPDownLoad(const std::string& remoteDir, const std::string& localDir,
                     const std::string& fileName) override;
    void BeginPlayFile(const std::string& fileName) override;
    bool CallDll(const std::string& libraryFileName, const Variant& input, Variant& output,
                 bool option) override;
    void WriteLog(const std::string& text, const std::string& second) override;

private:
    void Trace(const std::string& utf8);
    bool BuiltInDorvik(const Variant& input, Variant& output);

    Database& db_;
    ApplicationServer server_;
    std::optional<TRoutPackage> routPackage_;
    forms::WindowHandle hostWindow_ = 0;
    std::string libraryDir_;
    std::string loadedPlugin_;
    std::optional<std::string> logFileOverride_;
    std::ostream* trace_ = nullptr;
    std::map<std::string, std::unique_ptr<PluginLibrary>> libraries_;
};

} // namespace zeph::emulator

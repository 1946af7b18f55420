#include <zeph/emulator/DeskPlatform.h>
#include <zeph/emulator/DeskServices.h>
#include <zeph/emulator/FtpDownload.h>
#include <zeph/emulator/RoutPackage.h>
#include <zeph/platform/Paths.h>
#include <zeph/text/HostText.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

namespace zeph::emulator {
namespace {

std::string Utf8(const std::string& host) {
    return text::GbkToUtf8(host);
}

std::string Host(const std::string& utf8) {
    return text::Utf8ToGbk(utf8);
}

std::string Timestamp() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[40];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    char result[48];
    std::snprintf(result, sizeof result, "%s.%03d", buffer, static_cast<int>(millis));
    return result;
}

} // namespace

DeskServices::DeskServices(Database& db) : db_(db), server_(db) {}

void DeskServices::Trace(const std::string& utf8) {
    if (trace_ != nullptr) {
        *trace_ << "Server: " << utf8 << '\n' << std::flush;
    }
}

std::string DeskServices::Setting(const std::string& name, const std::string& fallback) {
    auto value = db_.QueryText("SELECT value FROM desk_setting WHERE name = ?1 COLLATE NOCASE",
                               Binding{{name}, std::nullopt});
    return value ? *value : fallback;
}

const TRoutPackage* DeskServices::GetRoutPackage() {
    try {
        routPackage_ = LoadRoutPackage(db_);
    } catch (const EDatabaseError& e) {
        throw EServerError(Host(std::string("路由包配置错误：") + e.what()));
    }
    Trace(routPackage_ ? "GetRoutPackage -> package" : "GetRoutPackage -> none");
    return routPackage_ ? &*routPackage_ : nullptr;
}

std::string DeskServices::GetSysParam(const std::string& module, const std::string& number) {
    auto value = db_.QueryText("SELECT value FROM sys_param WHERE module = ?1 COLLATE NOCASE AND "
                               "number = ?2",
                               Binding{{Utf8(module), Utf8(number)}, std::nullopt});
    Trace("GetSysParam " + Utf8(module) + " " + Utf8(number) + " -> " +
          (value ? "'" + *value + "'" : "not set"));
    return value ? Host(*value) : std::string();
}

bool DeskServices::HasAuth(const std::string& module, const std::string& rightId) {
    bool granted = db_.QueryText("SELECT 1 FROM desk_right WHERE module = ?1 COLLATE NOCASE AND "
                                 "right_id = ?2",
                                 Binding{{Utf8(module), Utf8(rightId)}, std::nullopt})
                       .has_value();
    Trace("HasAuth " + Utf8(module) + " " + Utf8(rightId) + " -> " + (granted ? "yes" : "no"));
    return granted;
}

bool DeskServices::HadLoadModule(const std::string& module, const std::string&) {
    bool loaded = db_.QueryText("SELECT 1 FROM desk_module WHERE name = ?1 COLLATE NOCASE",
                                Binding{{Utf8(module)}, std::nullopt})
                      .has_value();
    Trace("HadLoadModule " + Utf8(module) + " -> " + (loaded ? "yes" : "no"));
    return loaded;
}

std::string DeskServices::GetWorkerNO() {
    return Host(Setting("worker_no"));
}

std::string DeskServices::GetStaffCityID() {
    return Host(Setting("city_id"));
}

std::string DeskServices::GetEnCodePass() {
    return Host(Setting("encoded_password"));
}

Variant DeskServices::GetPublicData(const std::string& name) {
    Trace("GetPublicData " + Utf8(name));
    return server_.GetPublicData(name);
}

bool DeskServices::StoreProcedure(const std::string& procedure, const std::string& parameters,
                                  Variant& result) {
    bool ok = server_.StoreProcedure(procedure, parameters, result);
    Trace("StoreProcedure " + Utf8(procedure) + " '" + Utf8(parameters) + "' -> " +
          (ok ? "ok" : "failed: " + Utf8(server_.LastError())));
    return ok;
}

bool DeskServices::OpenBySQL(const std::string& serverFlag, const std::string& sql,
                             const std::string& parameters, Variant& data, int, int) {
    bool ok = server_.OpenBySQL(serverFlag, sql, parameters, data);
    Trace("OpenBySQL " + Utf8(serverFlag) + " '" + Utf8(sql) + "' '" + Utf8(parameters) + "' -> " +
          (ok ? "ok" : "failed: " + Utf8(server_.LastError())));
    return ok;
}

bool DeskServices::OpenByServerFlag(const std::string& serverFlag, const std::string& parameters,
                                    Variant& data, int, int) {
    bool ok = server_.OpenByServerFlag(serverFlag, parameters, data);
    Trace("OpenByServerFlag " + Utf8(serverFlag) + " '" + Utf8(parameters) + "' -> " +
          (ok ? "ok" : "failed: " + Utf8(server_.LastError())));
    return ok;
}

bool DeskServices::FTPDownLoad(const std::string& remoteDir, const std::string& localDir,
                               const std::string& fileName) {
    FtpSite site;
    site.host = Setting("ftp_host");
    try {
        site.port = std::stoi(Setting("ftp_port", "21"));
    } catch (const std::exception&) {
        site.port = 21;
    }
    site.user = Setting("ftp_user", "anonymous");
    site.password = Setting("ftp_password");
    site.encoding = Setting("ftp_encoding", "UTF-8");
    try {
        site.timeoutSeconds = std::stol(Setting("ftp_timeout", "15"));
    } catch (const std::exception&) {
        site.timeoutSeconds = 15;
    }
    FtpResult result = FtpDownload(site, remoteDir, localDir, fileName);
    std::string what =
        "FTPDownLoad " + Utf8(remoteDir) + " " + Utf8(fileName) + " -> " + Utf8(localDir);
    Trace(what + (result.ok ? ": ok" : ": failed: " + result.error));
    if (!result.ok) {
        WriteLog(Host(what + ": " + result.error), {});
    }
    return result.ok;
}

void DeskServices::BeginPlayFile(const std::string& fileName) {
    std::string command = Setting("player_command");
    std::string file = Utf8(fileName);
    if (command.empty()) {
        Trace("BeginPlayFile " + file + " (no player_command; logged)");
        WriteLog(Host("BeginPlayFile: " + file), {});
        return;
    }
    std::optional<long> pid = StartPlayer(command, file);
    if (!pid) {
        Trace("BeginPlayFile " + file + ": cannot start the player");
        WriteLog(Host("BeginPlayFile: " + file + ": cannot start the player"), {});
        return;
    }
    Trace("BeginPlayFile " + file + " (player pid " + std::to_string(*pid) + ")");
    WriteLog(Host("BeginPlayFile: " + file), {});
}

bool DeskServices::BuiltInDorvik(const Variant& input, Variant& output) {
    std::string word;
    if (input.IsArray() && input.HighBound() >= input.LowBound()) {
        word = input[input.LowBound()].AsText();
    }
    if (text::SameText(word, "GETCURTABINFO")) {
        output = Variant::Array(0, 2);
        output[0] = "True";
        output[1] = Host(Setting("current_service_id"));
        output[2] = Host(Setting("current_tab_caption"));
    } else {
        output = Variant();
    }
    return true;
}

bool DeskServices::CallDll(const std::string& libraryFileName, const Variant& input,
                           Variant& output, bool) {
    std::string name = Utf8(libraryFileName);
    std::optional<std::string> path;
    if (!loadedPlugin_.empty() && text::SameText(name, "Morvane.dll")) {
        path = loadedPlugin_;
    } else {
        path = db_.QueryText("SELECT path FROM dll_library WHERE name = ?1 COLLATE NOCASE",
                             Binding{{name}, std::nullopt});
    }
    if (!path) {
        if (text::SameText(name, "Dorvik.dll")) {
            Trace("CallDll " + name + " (built in)");
            return BuiltInDorvik(input, output);
        }
        Trace("CallDll " + name + ": not configured in dll_library");
        return false;
    }
    std::string resolved = *path;
    if (auto at = resolved.find("$LIBDIR"); at != std::string::npos) {
        resolved.replace(at, 7, libraryDir_);
    }
    auto& library = libraries_[resolved];
    try {
        if (!library) {
            library = std::make_unique<PluginLibrary>(resolved);
        }
        Trace("CallDll " + name + " -> " + resolved);
        library->Call(hostWindow_, input, output);
    } catch (const EPluginError& e) {
        Trace("CallDll " + name + ": " + e.what());
        libraries_.erase(resolved);
        return false;
    }
    return true;
}

void DeskServices::WriteLog(const std::string& text, const std::string&) {
    std::string path = logFileOverride_ ? *logFileOverride_ : Setting("log_file");
    if (path.empty()) {
        return;
    }
    std::filesystem::path file = platform::PathFromUtf8(path);
    if (file.is_relative()) {
        file = std::filesystem::absolute(platform::PathFromUtf8(db_.Path())).parent_path() / file;
    }
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out) {
        Trace("WriteLog: cannot open " + platform::PathToUtf8(file));
        return;
    }
    out << Timestamp() << ' ' << text << '\n';
}

} // namespace zeph::emulator

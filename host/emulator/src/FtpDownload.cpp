#include <zeph/emulator/FtpDownload.h>
#include <zeph/ftp/FtpPath.h>
#include <zeph/platform/Paths.h>
#include <zeph/platform/ReplacingFile.h>
#include <zeph/text/HostText.h>

#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace zeph::emulator {
namespace {

struct CurlDeleter {
    void operator()(CURL* curl) const noexcept { curl_easy_cleanup(curl); }
};

struct GlobalCurl {
    GlobalCurl() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}

bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           text::Find(name, "\\") == std::string::npos && name.find('\0') == std::string::npos;
}

} // namespace

FtpResult FtpDownload(const FtpSite& site, const std::string& remoteDir,
                      const std::string& localDir, const std::string& fileName) {
    static GlobalCurl global;
    FtpResult result;
    if (!IsPlainName(fileName)) {
        result.error = "not a plain file name: " + text::GbkToUtf8(fileName);
        return result;
    }
    if (site.host.empty()) {
        result.error = "no FTP server is configured (desk_setting ftp_host)";
        return result;
    }
    bool gbkPaths = text::SameText(site.encoding, "GBK");
    auto remote = [&](const std::string& hostText) {
        return gbkPaths ? hostText : text::GbkToUtf8(hostText);
    };
    std::string dir = remote(remoteDir);
    if (dir.empty() || dir.front() != '/') {
        dir.insert(dir.begin(), '/');
    }
    if (dir.back() != '/') {
        dir += '/';
    }
    std::string url = "ftp://" + site.host + ":" + std::to_string(site.port) +
                      ftp::EncodeFtpPath(dir + remote(fileName));

    std::filesystem::path folder = platform::PathFromUtf8(platform::NativePath(localDir));
    std::error_code ec;
    if (localDir.empty() || !std::filesystem::is_directory(folder, ec)) {
        result.error = "no such local folder: " + platform::PathToUtf8(folder);
        return result;
    }
    std::filesystem::path target = folder / platform::PathFromUtf8(platform::NativePath(fileName));
    platform::TReplacingFile local(platform::HostPath(platform::PathToUtf8(target)));
    std::FILE* file = local.Stream();
    if (file == nullptr) {
        result.error = local.Error();
        return result;
    }

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURLcode rc = CURLE_FAILED_INIT;
    if (curl) {
        CURL* c = curl.get();
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(c, CURLOPT_USERNAME, site.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, site.password.c_str());
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, site.timeoutSeconds);
        // A stalled transfer ends instead of hanging the desk.
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, site.timeoutSeconds);
        curl_easy_setopt(c, CURLOPT_FTP_RESPONSE_TIMEOUT, site.timeoutSeconds);
        curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, WriteToFile);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, file);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
        rc = curl_easy_perform(c);
    }
    if (rc != CURLE_OK) {
        result.error = errorBuffer[0] != 0 ? errorBuffer : curl_easy_strerror(rc);
        return result;
    }
    if (!local.Commit()) {
        result.error = local.Error();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace zeph::emulator

#include <zeph/emulator/FtpDownload.h>
#include <zeph/text/HostText.h>

#include <curl/curl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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

std::string EncodeFtpPath(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : path) {
        auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

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
                      EncodeFtpPath(dir + remote(fileName));

    std::filesystem::path folder(text::GbkToUtf8(localDir));
    std::error_code ec;
    if (localDir.empty() || !std::filesystem::is_directory(folder, ec)) {
        result.error = "no such local folder: " + folder.string();
        return result;
    }
    std::filesystem::path target = folder / text::GbkToUtf8(fileName);
    std::string partial = (folder / (".zeph-download-XXXXXX")).string();
    int fd = mkstemp(partial.data());
    if (fd < 0) {
        result.error = "cannot write in " + folder.string();
        return result;
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        std::filesystem::remove(partial, ec);
        result.error = "cannot write in " + folder.string();
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
    bool written = std::fclose(file) == 0;
    if (rc != CURLE_OK || !written) {
        std::filesystem::remove(partial, ec);
        result.error = rc != CURLE_OK
                           ? std::string(errorBuffer[0] != 0 ? errorBuffer : curl_easy_strerror(rc))
                           : "cannot write " + target.string();
        return result;
    }
    std::filesystem::rename(partial, target, ec);
    if (ec) {
        std::filesystem::remove(partial, ec);
        result.error = "cannot write " + target.string();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace zeph::emulator

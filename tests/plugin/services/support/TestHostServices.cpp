#include "TestHostServices.h"

#include <zeph/platform/Paths.h>
#include <zeph/text/HostText.h>

#include <curl/curl.h>

#include <cstdio>
#include <filesystem>

namespace services_test {
namespace {

// Each path segment percent-encoded, so blanks and Chinese names reach the server intact.
std::string EscapedPath(CURL* curl, const std::string& hostPath) {
    std::string out;
    for (const std::string& segment : zeph::text::Split(hostPath, "/")) {
        if (segment.empty()) {
            continue;
        }
        std::string native = zeph::platform::NativePath(segment);
        char* escaped = curl_easy_escape(curl, native.c_str(), static_cast<int>(native.size()));
        out += "/";
        out += escaped;
        curl_free(escaped);
    }
    return out;
}

struct Sink {
    std::string path;
    std::FILE* file = nullptr;
};

// The local file is created with the first data, so a failed transfer leaves nothing behind.
size_t WriteToSink(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    if (sink->file == nullptr) {
        sink->file = std::fopen(sink->path.c_str(), "wb");
        if (sink->file == nullptr) {
            return 0;
        }
    }
    return std::fwrite(data, size, count, sink->file) * size;
}

bool DownloadByCurl(const std::string& ftpBaseUrl,
                    std::vector<TestHostServices::Download>& downloads,
                    const std::string& remoteDir, const std::string& localDir,
                    const std::string& fileName) {
    TestHostServices::Download record{remoteDir, localDir, fileName, false};
    if (!ftpBaseUrl.empty() && !fileName.empty()) {
        CURL* curl = curl_easy_init();
        std::string url = ftpBaseUrl + EscapedPath(curl, remoteDir) + EscapedPath(curl, fileName);
        std::string local = localDir.empty()
                                ? fileName
                                : zeph::platform::IncludeTrailingPathDelimiter(localDir) + fileName;
        Sink sink{zeph::platform::NativePath(local), nullptr};
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToSink);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 5L);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        CURLcode rc = curl_easy_perform(curl);
        curl_easy_cleanup(curl);
        if (rc == CURLE_OK && sink.file == nullptr) {
            sink.file = std::fopen(sink.path.c_str(), "wb"); // an empty remote file
        }
        const bool created = sink.file != nullptr;
        record.ok = rc == CURLE_OK && created;
        if (created && std::fclose(sink.file) != 0) {
            record.ok = false;
        }
        if (!record.ok && created) {
            std::error_code ignored;
            std::filesystem::remove(sink.path, ignored);
        }
    }
    downloads.push_back(record);
    return record.ok;
}

} // namespace

TestHostServices::TestHostServices() {
    onFtpDownload = [this](const std::string& remoteDir, const std::string& localDir,
                           const std::string& fileName) {
        return DownloadByCurl(ftpBaseUrl, downloads, remoteDir, localDir, fileName);
    };
}

} // namespace services_test

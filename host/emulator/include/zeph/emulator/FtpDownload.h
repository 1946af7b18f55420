// FTPDownLoad of the host: one file from the desk's FTP server into a local folder.
#pragma once

#include <zeph/ftp/FtpPath.h>

#include <string>

namespace zeph::emulator {

struct FtpSite {
    std::string host; // name or address
    int port = 21;
    std::string user = "anonymous";
    std::string password;
    // Encoding of path names on the server: "UTF-8" (default) or "GBK" (bytes as the host holds
    // them).
    std::string encoding = "UTF-8";
    long timeoutSeconds = 15;
};

struct FtpResult {
    bool ok = false;
    std::string error; // UTF-8, empty on success
};

// remoteDir and fileName are host text; localDir is host text naming a local folder. The file is
// written under a temporary name and renamed when complete, so a failed transfer leaves neither
// a partial file nor a changed old one. A fileName that is not a plain name ("", ".", "..", or
// holding "/" or "\") is refused.
FtpResult FtpDownload(const FtpSite& site, const std::string& remoteDir,
                      const std::string& localDir, const std::string& fileName);

using ftp::EncodeFtpPath;

} // namespace zeph::emulator

#include "TestHostServices.h"

namespace services_test {

TestHostServices::TestHostServices() {
    onFtpDownload = [this](const std::string& remoteDir, const std::string& localDir,
                           const std::string& fileName) {
        Download record{remoteDir, localDir, fileName, false};
        if (ftpSite) {
            record.ok = zeph::emulator::FtpDownload(*ftpSite, remoteDir, localDir, fileName).ok;
        }
        downloads.push_back(record);
        return record.ok;
    };
}

} // namespace services_test

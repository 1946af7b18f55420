// Host services for the small-service tests: the shared fake, with FTPDownLoad as zeph-host's
// own download from the test's FTP server, each download recorded.
#pragma once

#include "support/FakeHostServices.h"

#include <zeph/emulator/FtpDownload.h>

#include <optional>
#include <string>
#include <vector>

namespace services_test {

class TestHostServices final : public zeph::testing::FakeHostServices {
public:
    struct Download {
        std::string remoteDir, localDir, fileName;
        bool ok = false;
    };

    TestHostServices();

    std::optional<zeph::emulator::FtpSite> ftpSite; // none: every download fails
    std::vector<Download> downloads;
};

} // namespace services_test

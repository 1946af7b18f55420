// Host services for the small-service tests: the shared fake, with FTPDownLoad as a real
// libcurl download from the test's FTP server, each download recorded.
#pragma once

#include "support/FakeHostServices.h"

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

    std::string ftpBaseUrl; // "ftp://127.0.0.1:port"; empty: every download fails
    std::vector<Download> downloads;
};

} // namespace services_test

// Fetches one file with the FTP client component: connect, change to the directory, download.
// Usage: zeph-ftp-get HOST PORT DIRECTORY FILE LOCAL_PATH
#include <zeph/ftp/TFtpClient.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s HOST PORT DIRECTORY FILE LOCAL_PATH\n", argv[0]);
        return 2;
    }
    zeph::ftp::TFtpClient client(nullptr, "ftpBench");
    client.Host = argv[1];
    client.Port = std::stoi(argv[2]);
    if (!client.Connect() || !client.ChangeDir(argv[3]) || !client.Get(argv[4], argv[5])) {
        std::fprintf(stderr, "%s\n", client.LastError().c_str());
        return 1;
    }
    return 0;
}

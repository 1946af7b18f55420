// tollund-httpd [--request-timeout SECONDS] ROOT [PORT [ADDRESS]]: serves the files below ROOT
// over HTTP/1.0 until SIGINT or SIGTERM, then stops cleanly.
#include <tollund/CHttpServer.h>
#include <tollund/CMiniDumper.h>

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: tollund-httpd [--request-timeout SECONDS] ROOT [PORT [ADDRESS]]\n"
                 "  --request-timeout  how long a connection may take to send its request;\n"
                 "                     default %u, 0: no limit\n"
                 "  ROOT     directory whose files are served (no trailing '/')\n"
                 "  PORT     TCP port; 0 or absent: the 'http' service port, else 80\n"
                 "  ADDRESS  IPv4 address to listen on; absent: every address\n",
                 CHttpServer::DefaultRequestTimeoutMs / 1000);
    return 2;
}

// Whole seconds, at most a day.
bool ParseSeconds(const char* text, unsigned& seconds) {
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || value > 86400) {
        return false;
    }
    seconds = static_cast<unsigned>(value);
    return true;
}

bool ParsePort(const char* text, unsigned& port) {
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value > 65535) {
        return false;
    }
    port = static_cast<unsigned>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    CMiniDumper::SetUnhandledExceptionFilter(); // a crash leaves a dump beside the program
    unsigned requestTimeoutMs = CHttpServer::DefaultRequestTimeoutMs;
    if (argc >= 3 && std::string_view(argv[1]) == "--request-timeout") {
        unsigned seconds = 0;
        if (!ParseSeconds(argv[2], seconds)) {
            return Usage();
        }
        requestTimeoutMs = seconds * 1000;
        argc -= 2;
        argv += 2;
    }
    if (argc < 2 || argc > 4) {
        return Usage();
    }
    std::string root = argv[1];
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back(); // the request path brings its own leading '/'
    }
    struct stat rootStat {};
    if (stat(root.c_str(), &rootStat) != 0 || !S_ISDIR(rootStat.st_mode)) {
        std::fprintf(stderr, "tollund-httpd: %s is not a directory\n", argv[1]);
        return 2;
    }
    unsigned port = 0;
    if (argc >= 3 && !ParsePort(argv[2], port)) {
        std::fprintf(stderr, "tollund-httpd: bad port '%s'\n", argv[2]);
        return 2;
    }
    const std::string address = argc >= 4 ? argv[3] : "";

    // Block the stop signals in every thread; the main thread takes them with sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    CHttpServer server(root, port, address);
    server.SetRequestTimeoutMs(requestTimeoutMs);
    if (!server.StartHttpSrv()) {
        std::fprintf(stderr, "tollund-httpd: cannot listen on port %u\n", port);
        return 1;
    }
    std::fprintf(stderr, "tollund-httpd: serving %s\n", root.c_str());

    int received = 0;
    sigwait(&stopSignals, &received);
    std::fprintf(stderr, "tollund-httpd: stopping\n");
    server.StopHttpSrv();
    return 0;
}

// tollund-upload: sends one file as a multipart/form-data POST with CHttpUpload, shows the
// progress on the terminal and prints the server's reply.
//
//   tollund-upload [--connect-timeout SECONDS] [--stall-timeout SECONDS]
//                  SERVER PORT OBJECT-PATH REFERER-PATH FIELD-NAME FILE

#include <tollund/CFunction.h>
#include <tollund/CHttpUpload.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace {

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--connect-timeout SECONDS] [--stall-timeout SECONDS]\n"
                 "       SERVER PORT OBJECT-PATH REFERER-PATH FIELD-NAME FILE\n"
                 "Uploads FILE to http://SERVER:PORT/OBJECT-PATH as form field FIELD-NAME and\n"
                 "prints the reply. Connecting may take %u seconds and the transfer may go\n"
                 "%u seconds without progress unless the options say otherwise (0: no limit).\n"
                 "Failures are logged to Info.dat beside this program.\n",
                 program, CHttpUpload::DefaultConnectTimeoutSeconds,
                 CHttpUpload::DefaultStallTimeoutSeconds);
    return 2;
}

// A whole number of seconds, 0 to a day; false for anything else.
bool ParseSeconds(const char* text, unsigned& seconds) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 86400) {
        return false;
    }
    seconds = static_cast<unsigned>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const char* program = argv[0];
    unsigned connectTimeout = CHttpUpload::DefaultConnectTimeoutSeconds;
    unsigned stallTimeout = CHttpUpload::DefaultStallTimeoutSeconds;
    while (argc > 2 && std::string_view(argv[1]).rfind("--", 0) == 0) {
        const std::string_view option = argv[1];
        unsigned* target = option == "--connect-timeout" ? &connectTimeout
                           : option == "--stall-timeout" ? &stallTimeout
                                                         : nullptr;
        if (target == nullptr || !ParseSeconds(argv[2], *target)) {
            return Usage(program);
        }
        argc -= 2;
        argv += 2;
    }
    if (argc != 7) {
        return Usage(program);
    }
    char* end = nullptr;
    const long port = std::strtol(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || port < 1 || port > 65535) {
        std::fprintf(stderr, "%s: the port must be a number from 1 to 65535\n", program);
        return 2;
    }
    CHttpUpload upload;
    upload.SetConnectTimeout(connectTimeout);
    upload.SetStallTimeout(stallTimeout);
    // On an unconfigured object UploadFile only records the path (its worker ends at once), so
    // that the transfer can then run on a thread whose result this program sees.
    upload.UploadFile(argv[6]);
    try {
        upload.SetUploadParams(argv[1], static_cast<int>(port), argv[3], argv[4], argv[5]);
    } catch (const CHttpUploadException& error) {
        std::fprintf(stderr, "%s: %s\n", program, error.what());
        return 1;
    }
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    unsigned result = 0;
    std::thread worker([&] {
        const unsigned outcome = CHttpUpload::uploadObj(&upload);
        const std::lock_guard<std::mutex> guard(lock);
        result = outcome;
        done = true;
        ended.notify_one();
    });
    const bool terminal = isatty(STDERR_FILENO) != 0;
    unsigned shown = 101;
    std::unique_lock<std::mutex> guard(lock);
    while (!done) {
        const unsigned progress = upload.GetProgress();
        if (terminal && progress != shown) {
            std::fprintf(stderr, "\rUploading %s: %3u%%", argv[6], progress);
            shown = progress;
        }
        ended.wait_for(guard, std::chrono::milliseconds(100));
    }
    guard.unlock();
    worker.join();
    if (terminal) {
        std::fprintf(stderr, "\rUploading %s: %3u%%\n", argv[6], upload.GetProgress());
    }
    if (result != 1) {
        std::fprintf(stderr, "%s: the upload failed; see %s/Info.dat\n", program,
                     CFunction::GetCurrentModuleDir().c_str());
        return 1;
    }
    const std::string reply = upload.getResponseHtml();
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    if (isatty(STDOUT_FILENO) != 0 && (reply.empty() || reply.back() != '\n')) {
        std::fputc('\n', stdout); // keeps the prompt on a line of its own
    }
    return 0;
}

// tollund-upload: sends one file as a multipart/form-data POST with CHttpUpload, shows the
// progress on the terminal and prints the server's reply.
//
//   tollund-upload SERVER PORT OBJECT-PATH REFERER-PATH FIELD-NAME FILE

#include <tollund/CFunction.h>
#include <tollund/CHttpUpload.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s SERVER PORT OBJECT-PATH REFERER-PATH FIELD-NAME FILE\n"
                 "Uploads FILE to http://SERVER:PORT/OBJECT-PATH as form field FIELD-NAME and\n"
                 "prints the reply. Failures are logged to Info.dat beside this program.\n",
                 program);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        return Usage(argv[0]);
    }
    char* end = nullptr;
    const long port = std::strtol(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || port < 1 || port > 65535) {
        std::fprintf(stderr, "%s: the port must be a number from 1 to 65535\n", argv[0]);
        return 2;
    }
    CHttpUpload upload;
    // On an unconfigured object UploadFile only records the path (its worker ends at once), so
    // that the transfer can then run on a thread whose result this program sees.
    upload.UploadFile(argv[6]);
    try {
        upload.SetUploadParams(argv[1], static_cast<int>(port), argv[3], argv[4], argv[5]);
    } catch (const CHttpUploadException& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
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
        std::fprintf(stderr, "%s: the upload failed; see %s/Info.dat\n", argv[0],
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

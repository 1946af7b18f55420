// The version layer reader (ELF section headers and "key=value" entries) on arbitrary files:
// each input becomes Pellora.dll beside this program and is read through GetAppVersion(1).

#include <tollund/CFunction.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = CFunction::GetCurrentModuleDir() + "/Pellora.dll";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::abort();
    }
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) {
            std::abort();
        }
        done += static_cast<size_t>(n);
    }
    close(fd);
    const std::string version = CFunction::GetAppVersion(1);
    if (version.size() > 64 * 1024) {
        std::abort(); // never more than the section holds
    }
    return 0;
}

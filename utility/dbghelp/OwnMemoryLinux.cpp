#include "OwnMemoryLinux.h"

#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>

namespace dbghelp {

size_t ReadOwnMemory(uint64_t address, void* out, size_t size) {
    // process_vm_readv on the own process reports a bad page as a short read (or EFAULT).
    const pid_t self = static_cast<pid_t>(syscall(SYS_getpid));
    size_t done = 0;
    while (done < size) {
        iovec local{static_cast<char*>(out) + done, size - done};
        iovec remote{reinterpret_cast<void*>(address + done), size - done};
        const ssize_t got = static_cast<ssize_t>(
            syscall(SYS_process_vm_readv, self, &local, 1UL, &remote, 1UL, 0UL));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

} // namespace dbghelp

#include <zeph/platform/Memory.h>

namespace zeph::platform {

// Windows gives large pages only to memory allocated with them (VirtualAlloc with
// MEM_LARGE_PAGES and the lock-pages privilege); memory that is already there takes no advice.
void PreferHugePages(const void* data, std::size_t bytes) noexcept {
    (void)data;
    (void)bytes;
}

} // namespace zeph::platform

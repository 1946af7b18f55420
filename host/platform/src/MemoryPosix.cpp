#include <zeph/platform/Memory.h>

#include <sys/mman.h>

#include <cstdint>

namespace zeph::platform {

void PreferHugePages(const void* data, std::size_t bytes) noexcept {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;
    auto begin = reinterpret_cast<std::uintptr_t>(data);
    // Only whole huge pages inside the buffer: the advice must not reach memory it does not own.
    std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
    if (data != nullptr && last > first) {
        // Refusal (no transparent huge pages, a kernel without them) leaves ordinary pages.
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace zeph::platform

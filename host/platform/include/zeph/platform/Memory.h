// Large buffers that are filled once and then read (record arenas, report texts) fault their
// memory in a page at a time, and on a virtual machine each fault costs more than writing the
// page. Transparent huge pages take 512 of those faults at once.
#pragma once

#include <zeph/text/HostText.h>

#include <algorithm>
#include <cstddef>

namespace zeph::platform {

// Advises the system to back the buffer with huge pages where it offers them. Advice only:
// buffers too small to hold a huge page, and systems without them, are left as they are.
ZEPH_HOST_API void PreferHugePages(const void* data, std::size_t bytes) noexcept;

namespace detail {

template <typename Container>
[[gnu::noinline]] void GrowGeometrically(Container& container, std::size_t needed) {
    container.reserve(std::max(needed, container.capacity() * 2));
    PreferHugePages(container.data(), container.capacity() * sizeof(*container.data()));
}

} // namespace detail

// Makes room for at least `needed` elements, growing geometrically, and advises huge pages for
// the new buffer. Called for every append, so only the check is inline: the growth is rare.
template <typename Container>
void ReserveForGrowth(Container& container, std::size_t needed) {
    if (needed > container.capacity()) {
        detail::GrowGeometrically(container, needed);
    }
}

// Reserves exactly `needed` elements and advises huge pages for them.
template <typename Container>
void ReserveLarge(Container& container, std::size_t needed) {
    container.reserve(needed);
    PreferHugePages(container.data(), container.capacity() * sizeof(*container.data()));
}

} // namespace zeph::platform

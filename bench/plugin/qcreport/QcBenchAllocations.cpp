#include "QcBenchAllocations.h"

#include <libxml/xmlmemory.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace qcbench {

std::atomic<long long> gLive{0};
std::atomic<long long> gPeak{0};

void Count(void* p) {
    if (p != nullptr) {
        long long now = gLive += static_cast<long long>(malloc_usable_size(p));
        long long peak = gPeak.load();
        while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
        }
    }
}

void Uncount(void* p) {
    if (p != nullptr) {
        gLive -= static_cast<long long>(malloc_usable_size(p));
    }
}

namespace {

void* CountedMalloc(size_t n) {
    void* p = std::malloc(n);
    Count(p);
    return p;
}

void CountedFree(void* p) {
    Uncount(p);
    std::free(p);
}

void* CountedRealloc(void* p, size_t n) {
    Uncount(p);
    void* q = std::realloc(p, n);
    Count(q != nullptr ? q : p);
    return q;
}

char* CountedStrdup(const char* s) {
    std::size_t n = std::strlen(s) + 1;
    auto* p = static_cast<char*>(CountedMalloc(n));
    if (p != nullptr) {
        std::memcpy(p, s, n);
    }
    return p;
}

} // namespace

void CountLibxml2Allocations() {
    xmlMemSetup(CountedFree, CountedMalloc, CountedRealloc, CountedStrdup);
}

} // namespace qcbench

void* operator new(std::size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    qcbench::Count(p);
    return p;
}

void operator delete(void* p) noexcept {
    qcbench::Uncount(p);
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    qcbench::Uncount(p);
    std::free(p);
}

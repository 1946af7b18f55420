// Counts the bytes a run allocates, C++ and libxml2 alike, by usable block size.
#pragma once

#include <atomic>

namespace qcbench {

extern std::atomic<long long> gLive;
extern std::atomic<long long> gPeak;

void Count(void* block);
void Uncount(void* block);

// Routes libxml2's allocations through the counters; call before libxml2 is used.
void CountLibxml2Allocations();

} // namespace qcbench

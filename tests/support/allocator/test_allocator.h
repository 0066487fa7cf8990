#pragma once
// The test programs' own operator new and delete (every form), which can count
// the plugin's heap allocations on one thread and make one of them fail.
// Allocations made inside the game's functions or Windows' are neither
// counted nor failed: neither ever throws into the plugin.
#include <cstddef>

namespace lumora_test {

// Counts the plugin's allocations on the calling thread from now on.
void startCountingAllocations();
// Stops counting on the calling thread; returns how many were counted.
std::size_t stopCountingAllocations();

// Counts as above, and the n-th counted allocation (1-based) fails: the
// throwing forms throw std::bad_alloc, the nothrow forms answer null. Later
// allocations succeed again.
void failNthAllocation(std::size_t n);
// True once the planned failure has happened.
bool allocationFailureInjected();

}  // namespace lumora_test

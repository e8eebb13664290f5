// allocation_counter.cpp — the counting operator new/delete of the test
// program (see allocation_counter.h).
#include "support/allocation_counter.h"

#include <execinfo.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define ORBEL_COUNTING_NEW 0
#else
#define ORBEL_COUNTING_NEW 1
#endif

namespace {

std::atomic<bool> armed{false};
std::atomic<long> allocations{0};
std::atomic<long> elsewhere{0};  // of those, on threads other than the one that armed the counter
std::atomic<std::thread::id> armer{};

#if ORBEL_COUNTING_NEW
bool TraceWanted() {
    static const bool wanted = [] {
        const char* value = std::getenv("ORBEL_ALLOC_TRACE");
        return value && *value == '1';
    }();
    return wanted;
}

// backtrace allocates with malloc only, never with operator new.
void Trace() {
    void* frames[32];
    const int count = backtrace(frames, 32);
    static const char kHeader[] = "counted allocation:\n";
    (void)!write(2, kHeader, sizeof kHeader - 1);
    backtrace_symbols_fd(frames, count, 2);
}

void* Allocate(std::size_t size) {
    if (armed.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
        if (std::this_thread::get_id() != armer.load(std::memory_order_relaxed)) {
            elsewhere.fetch_add(1, std::memory_order_relaxed);
        }
        if (TraceWanted()) Trace();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
#endif

}  // namespace

#if ORBEL_COUNTING_NEW
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif

bool AllocationCounter::Available() { return ORBEL_COUNTING_NEW != 0; }

AllocationCounter::AllocationCounter() {
    allocations = 0;
    elsewhere = 0;
    armer = std::this_thread::get_id();
    armed = true;
}

AllocationCounter::~AllocationCounter() { armed = false; }

AllocationCounter::Exempt::Exempt() : wasArmed_(armed.exchange(false)) {}

AllocationCounter::Exempt::~Exempt() { armed = wasArmed_; }

long AllocationCounter::Stop() {
    armed = false;
    return allocations.load();
}

long AllocationCounter::OnOtherThreads() { return elsewhere.load(); }

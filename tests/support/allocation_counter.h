// allocation_counter.h — counts the test program's heap allocations while
// armed, for the checks that a steady update or frame allocates nothing.
//
//   if (!AllocationCounter::Available()) GTEST_SKIP() << "...";
//   AllocationCounter counter;          // armed from here
//   for (...) engine->Update(16);
//   EXPECT_EQ(counter.Stop(), 0);
//
// The test program's global operator new/delete are replaced by
// malloc/free plus a counter. Sanitizer builds keep their own operator new
// (it checks every other test), so there the counter is not available.
// With ORBEL_ALLOC_TRACE=1 every counted allocation prints its call stack to
// standard error, to find where an unexpected one comes from.
#pragma once

class AllocationCounter {
public:
    // Whether allocations can be counted in this build.
    static bool Available();

    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    // Disarms and returns the allocations made since construction.
    long Stop();
    // Of the allocations counted, those made on other threads than the one
    // that made the counter (OpenAL's mixer, say).
    static long OnOtherThreads();

    // While one lives, nothing is counted (on any thread): for a test's own
    // bookkeeping in the middle of what it counts.
    class Exempt {
    public:
        Exempt();
        ~Exempt();
        Exempt(const Exempt&) = delete;
        Exempt& operator=(const Exempt&) = delete;

    private:
        bool wasArmed_;
    };
};

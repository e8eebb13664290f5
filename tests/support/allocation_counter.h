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
};

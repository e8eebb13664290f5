// runtime_error_test.cpp — the runtime-error report, the debugger line
// protocol, and what becomes of escaping exceptions and processor faults; each
// case runs in a child process, since every one of them ends it.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/entry.h"
#include "framework/font.h"
#include "host/rt_game.h"
#include "host/runtime_error.h"
#include "support/child_process.h"

namespace {

constexpr const char* kReport = "Cobalt Runtime Error : Broken\n\n";

// Deep enough recursion to use up any stack; the volatile buffer keeps
// every frame alive.
volatile bool keepGoing = true;
int Recurse(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    return keepGoing ? Recurse(depth + 1) + frame[0] : 0;
}

// A real integer division fault, not one the sanitizer reports first.
volatile int zero = 0;
volatile int seven = 7;
__attribute__((noinline, no_sanitize_undefined)) int Divide() { return seven / zero; }

volatile int* volatile nowhere = nullptr;
__attribute__((noinline, no_sanitize_undefined, no_sanitize_address)) void WriteNowhere() { *nowhere = 1; }

// A game whose update throws what it is given.
class ThrowingGame final : public RtGameDelegate {
public:
    explicit ThrowingGame(std::function<void()> t) : throwIt_(std::move(t)) {}
    void UpdateGame() override { throwIt_(); }

private:
    std::function<void()> throwIt_;
};

// Runs one game update that throws, in a child. Nothing above the host may
// catch (as in the real program, whose main has no handler): the test body's
// own handler would otherwise stand in for a missing one in the host.
ChildResult UpdateThrowingInChild(const std::function<void()>& throwIt) {
    return RunInChild([&] {
        [&]() noexcept {
            RtGame host;
            host.SetDelegate(New<ThrowingGame>(throwIt));
            host.StartGame();
            host.UpdateGame();
        }();
    });
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedHeap = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizedHeap = true;
#else
constexpr bool kSanitizedHeap = false;
#endif
#else
constexpr bool kSanitizedHeap = false;
#endif

TEST(RuntimeErrorReport, TextAndExitCodes) {
    struct Case {
        std::function<void()> body;
        std::string out;
        int exitCode;
    };
    const Case cases[] = {
        {[] { RuntimeError(u"Broken"); }, kReport, 255},
        {[] { RuntimeError(u""); }, "", 0},
        {[] { EndApp(); }, "", 0},
        {[] { ReportUncaughtError(); }, "Cobalt Runtime Error : Uncaught Cobalt Exception\n", 255},
        {[] { Print(u"caf\u00E9"); }, "caf\xC3\xA9\n", 0},
    };
    for (const Case& c : cases) {
        ChildResult r = RunInChild(c.body);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.exitCode, c.exitCode);
    }
    // With no debugger on standard input the protocol line is written and
    // end of input ends the process.
    ChildResult r = RunInChild([] { RuntimeError(u"Broken"); });
    EXPECT_EQ(r.err, "{{~~~~}}\n");

    r = RunInChild([] { DebugLog(u"d\u0141x"); });
    EXPECT_EQ(r.err, "dAx\n");
}

// The program-end hook (the browser stops its frames from it) hears each
// orderly end and each runtime error, with the exit code, before the end.
TEST(RuntimeErrorReport, ProgramEndHookHearsTheExitCode) {
    const std::function<void()> ends[] = {[] { EndApp(); }, [] { RuntimeError(u"Broken"); },
                                          [] { ReportUncaughtError(); }};
    const char* expected[] = {"end 0\n", "end -1\n", "end -1\n"};
    for (std::size_t i = 0; i < std::size(ends); ++i) {
        ChildResult r = RunInChild([&] {
            SetProgramEndHook([](int code) { std::fprintf(stderr, "end %d\n", code); });
            ends[i]();
        });
        EXPECT_NE(r.err.find(expected[i]), std::string::npos) << r.err;
    }
}

TEST(RuntimeErrorReport, DebuggerProtocol) {
    struct Case {
        std::string input;
        std::string out;
        std::string err;
        int exitCode;
    };
    const std::string stop = "{{~~~~}}\n";
    const Case cases[] = {
        // q ends with 0.
        {"q\n", kReport, stop, 0},
        // r, s, e, l return, and the report and the stop come again.
        {"r\nq\n", std::string(kReport) + kReport, stop + stop, 0},
        {"s\ne\nl\nq\n", std::string(kReport) + kReport + kReport + kReport, stop + stop + stop + stop, 0},
        // ? and @ read on; @ answers with an empty line for what it cannot show.
        {"?\n@0x0\nq\n", kReport, stop + "\n", 0},
        // Anything else is refused.
        {"zap\n", std::string(kReport) + "????? zap ?????\n", stop, 255},
        // A line without its newline, or end of input.
        {"q", kReport, stop, 255},
        {"", kReport, stop, 255},
        {std::string(300, 'r') + "\n", kReport, stop, 255},
    };
    for (const Case& c : cases) {
        ChildResult r = RunInChild(
            [] {
                ::setenv("ORBEL_DEBUGGER", "1", 1);
                RuntimeError(u"Broken");
            },
            c.input);
        EXPECT_EQ(r.out, c.out) << c.input;
        EXPECT_EQ(r.err, c.err) << c.input;
        EXPECT_EQ(r.exitCode, c.exitCode) << c.input;
    }
}

// A player's terminal holds standard input open and never sends a line: the
// report waits for the debugger's commands only when ORBEL_DEBUGGER=1 says a
// debugger is there, and otherwise ends the game at once.
TEST(RuntimeErrorReport, WaitsForTheDebuggerOnlyWhenOneIsThere) {
    struct Case {
        const char* debugger;  // ORBEL_DEBUGGER, or null for unset
        int exitCode;          // -1: still waiting when the test gave up
    };
    const Case cases[] = {{nullptr, 255}, {"0", 255}, {"1", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.debugger ? c.debugger : "unset");
        ChildResult r = RunInChild(
            [&] {
                if (c.debugger)
                    ::setenv("ORBEL_DEBUGGER", c.debugger, 1);
                else
                    ::unsetenv("ORBEL_DEBUGGER");
                // The pipe's write end stays open in the child: no end of input.
                int held[2];
                if (::pipe(held) != 0 || ::dup2(held[0], 0) < 0) std::_Exit(3);
                RuntimeError(u"Broken");
            },
            "", 2);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.out, kReport);
        EXPECT_EQ(r.err.rfind("{{~~~~}}\n", 0), 0u) << r.err;
    }
}

TEST(RuntimeErrorReport, ProcessorFaults) {
    struct Case {
        std::function<void()> body;
        const char* message;
    };
    const Case cases[] = {
        {[] { WriteNowhere(); }, "Memory access violation"},
        {[] { std::printf("%d", Divide()); }, "Integer divide by zero"},
        {[] { std::printf("%d", Recurse(0)); }, "Stack overflow"},
        {[] { __builtin_trap(); }, "Illegal instruction"},
        {[] { std::raise(SIGFPE); }, "Unknown exception"},
    };
    for (const Case& c : cases) {
        ChildResult r = RunInChild([&] {
            InstallFaultHandlers();
            c.body();
        });
        EXPECT_EQ(r.out, std::string("Cobalt Runtime Error : ") + c.message + "\n\n");
        EXPECT_EQ(r.exitCode, 255) << c.message << " signal " << r.signal << "\n" << r.err;
    }
}

// C++ exceptions that escape the game are reported like its own error
// objects, naming the exception, instead of ending in std::terminate.
TEST(RuntimeErrorReport, EscapingCppExceptions) {
    struct Case {
        std::function<void()> throwIt;
        std::string out;
    };
    const std::string report = "Cobalt Runtime Error : Uncaught C++ exception ";
    const Case cases[] = {
        {[] { throw std::out_of_range("slot 5 of 3"); }, report + "std::out_of_range (slot 5 of 3)\n"},
        {[] { throw std::bad_alloc(); }, report + "std::bad_alloc\n"},
        {[] { throw std::runtime_error("worn out"); }, report + "std::runtime_error (worn out)\n"},
        {[] { throw 42; }, report + "int\n"},
    };
    for (const Case& c : cases) {
        ChildResult r = UpdateThrowingInChild(c.throwIt);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.exitCode, 255) << c.out << " signal " << r.signal;
    }
    // The library's own text from a checked index names the exception too.
    ChildResult r = UpdateThrowingInChild([] {
        std::vector<int> three(3);
        std::exit(three.at(static_cast<std::size_t>(std::rand()) + 5));
    });
    EXPECT_EQ(r.out.rfind(report + "std::out_of_range (", 0), 0u) << r.out;
    EXPECT_EQ(r.exitCode, 255) << "signal " << r.signal;

    // One thrown while the application is made, before the loop.
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    r = RunInChild([] {
        [&]() noexcept {
            char name[] = "orbel";
            char* argv[] = {name, nullptr};
            OrbelMain(1, argv, []() -> Ref<c_App> { throw std::out_of_range("no such stage"); });
        }();
    });
    EXPECT_EQ(r.out, report + "std::out_of_range (no such stage)\n");
    EXPECT_EQ(r.exitCode, 255) << "signal " << r.signal;
}

// A fault on another thread (the audio mixer's, say) reports and ends the
// whole process, even while the game's thread holds the standard output's
// lock: the handler takes no stdio lock.
TEST(RuntimeErrorReport, FaultOnAnotherThreadEndsTheProcess) {
    ChildResult r = RunInChild(
        [] {
            InstallFaultHandlers();
            // The game is in the middle of printing when the other thread faults.
            flockfile(stdout);
            std::thread mixer([] { WriteNowhere(); });
            mixer.join();
            funlockfile(stdout);
            Print(u"the game went on");
        },
        "", 10);
    EXPECT_EQ(r.out, "Cobalt Runtime Error : Memory access violation\n\n");
    EXPECT_EQ(r.err, "{{~~~~}}\n");
    EXPECT_EQ(r.exitCode, 255) << "signal " << r.signal << "\n" << r.err;
}

// A fault when the heap can give nothing more (every request refused, as when
// the fault hits with the allocator's state broken) is still reported: the
// report is built without a single allocation.
TEST(RuntimeErrorReport, FaultWithTheHeapUnusable) {
    // The sanitizer's allocator ends the process rather than refuse.
    if (kSanitizedHeap) GTEST_SKIP() << "needs an allocator that can run out";
    ChildResult r = RunInChild(
        [] {
            // Nothing may catch what escapes the handler: the test body's own
            // handler would keep the child running.
            [&]() noexcept {
                InstallFaultHandlers();
                long pages = 0;
                std::ifstream("/proc/self/statm") >> pages;
                // No more address space than the child has now, then every
                // free piece of the heap used up.
                rlim_t now = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
                rlimit limit{now, now};
                if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
                // Every size class, large to small: a free piece only serves
                // requests of its own class, or larger ones split.
                static void* volatile last = nullptr;
                auto useUp = [](std::size_t size) {
                    do {
                        last = std::malloc(size);
                    } while (last != nullptr);
                };
                for (std::size_t size = std::size_t{1} << 24; size > 1024; size /= 2) useUp(size);
                for (std::size_t size = 1024; size > 0; size -= 8) useUp(size);
                try {
                    char* volatile more = new char[64];
                    (void)more;
                    std::_Exit(4);  // the heap is still usable: the test shows nothing
                } catch (const std::bad_alloc&) {}
                WriteNowhere();
            }();
        },
        "", 30);
    EXPECT_EQ(r.out, "Cobalt Runtime Error : Memory access violation\n\n");
    EXPECT_EQ(r.exitCode, 255) << "signal " << r.signal << "\n" << r.err;
}

// A report raised while a loader reads a file names it on the line after the
// message, so the quoted messages stay as they were; the innermost read is
// named, and an exception that leaves the read takes the name to the host's
// report. Once the read is over, nothing is named.
TEST(RuntimeErrorReport, NamesTheFileBeingRead) {
    struct Case {
        const char* name;
        std::function<void()> body;
        std::string out;
    };
    const Case cases[] = {
        {"runtime error",
         [] {
             ReadingFile reading(u"/maps/level3.tmx");
             RuntimeError(u"Broken");
         },
         "Cobalt Runtime Error : Broken\nFile: /maps/level3.tmx\n\n"},
        {"data path, mapped as opened",
         [] {
             ReadingFile reading(u"cobalt://data/level3.tmx");
             RuntimeError(u"Broken");
         },
         "Cobalt Runtime Error : Broken\nFile: ./data/level3.tmx\n\n"},
        {"innermost, then the outer again",
         [] {
             ReadingFile map(u"/maps/level3.tmx");
             { ReadingFile tiles(u"/maps/tiles.png"); }
             ReadingFile font(u"/fonts/a.fnt");
             RuntimeError(u"Broken");
         },
         "Cobalt Runtime Error : Broken\nFile: /fonts/a.fnt\n\n"},
        {"read over",
         [] {
             { ReadingFile reading(u"/maps/level3.tmx"); }
             RuntimeError(u"Broken");
         },
         kReport},
        {"fault",
         [] {
             InstallFaultHandlers();
             ReadingFile reading(u"/maps/level3.tmx");
             WriteNowhere();
         },
         "Cobalt Runtime Error : Memory access violation\nFile: /maps/level3.tmx\n\n"},
    };
    for (const Case& c : cases) {
        ChildResult r = RunInChild(c.body);
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.exitCode, 255) << c.name;
    }

    const Case escaping[] = {
        {"C++ exception",
         [] {
             ReadingFile reading(u"/maps/level3.tmx");
             throw std::bad_alloc();
         },
         "Cobalt Runtime Error : Uncaught C++ exception std::bad_alloc\nFile: /maps/level3.tmx\n"},
        {"game error object",
         [] {
             ReadingFile outer(u"/maps/level3.tmx");
             ReadingFile inner(u"/maps/tiles.png");
             ThrowError<ThrowableObject>();
         },
         "Cobalt Runtime Error : Uncaught Cobalt Exception\nFile: /maps/tiles.png\n"},
        {"caught before the next read",
         [] {
             try {
                 ReadingFile reading(u"/maps/level3.tmx");
                 throw 1;
             } catch (int) {}
             { ReadingFile next(u"/maps/level4.tmx"); }
             throw std::bad_alloc();
         },
         "Cobalt Runtime Error : Uncaught C++ exception std::bad_alloc\n"},
    };
    for (const Case& c : escaping) {
        ChildResult r = UpdateThrowingInChild(c.body);
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.exitCode, 255) << c.name;
    }
}

// A real allocation failure inside a real loader ends in the host's report,
// naming the file, with the report's exit code: never std::terminate.
TEST(RuntimeErrorReport, AllocationFailureInALoaderIsReported) {
    // The sanitizer's allocator ends the process rather than refuse.
    if (kSanitizedHeap) GTEST_SKIP() << "needs an allocator that can run out";
    const std::string path = "/tmp/orbel-huge-" + std::to_string(getpid()) + ".fnt";
    {
        // A sparse file far larger than the child may allocate.
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(ftruncate(fileno(f), 256L << 20), 0);
        std::fclose(f);
    }
    ChildResult r = UpdateThrowingInChild([&] {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t now = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
        rlimit limit{now + (64u << 20), now + (64u << 20)};
        if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
        LoadFont(FromUtf8(path));
        std::_Exit(4);  // it loaded: the limit did not hold
    });
    std::remove(path.c_str());
    EXPECT_EQ(r.out, "Cobalt Runtime Error : Uncaught C++ exception std::bad_alloc\nFile: " + path + "\n");
    EXPECT_EQ(r.exitCode, 255) << "signal " << r.signal << "\n" << r.err;
}

// With a trap installed a runtime error unwinds to whoever installed it (the
// fuzz targets and their replay), with its message; the trap is put back.
TEST(RuntimeErrorTrap, TurnsTheErrorIntoAnExceptionWhileInstalled) {
    struct Trapped {
        std::string message;
    };
    static RuntimeErrorTrap thrower = [](StringView message) { throw Trapped{ToUtf8(message)}; };
    const RuntimeErrorTrap previous = SetRuntimeErrorTrap(thrower);
    std::string caught;
    try {
        ReadingFile reading(u"/maps/level3.tmx");
        RuntimeError(u"Broken");
    } catch (const Trapped& t) {
        caught = t.message;
    }
    EXPECT_EQ(caught, "Broken");
    EXPECT_EQ(SetRuntimeErrorTrap(previous), thrower);
    // The orderly end is not an error: it is never trapped.
    SetRuntimeErrorTrap(thrower);
    ChildResult r = RunInChild([] { RuntimeError(u""); });
    SetRuntimeErrorTrap(previous);
    EXPECT_EQ(r.exitCode, 0);
}

// runtime_error.cpp — the runtime-error report, the debugger line protocol,
// the print routines and the processor-fault translator.
#include "host/runtime_error.h"

#include <cxxabi.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <typeinfo>

#include "host/files.h"

#if defined(__SANITIZE_ADDRESS__)
#define ORBEL_HAS_LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORBEL_HAS_LEAK_CHECKER 1
#endif
#endif
#ifdef ORBEL_HAS_LEAK_CHECKER
#include <sanitizer/lsan_interface.h>
#endif

String& SourcePositionText() {
    static String text;
    return text;
}

char& DebuggerStepMode() {
    static char mode = 0;
    return mode;
}

void Print(StringView text) {
    std::string s = ToUtf8(text);
    s.push_back('\n');
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fflush(stdout);
}

void Print(const char* utf8) { Print(S(utf8)); }

void DebugLog(StringView text) {
    std::string s = ToBytes(text);
    s.push_back('\n');
    std::fwrite(s.data(), 1, s.size(), stderr);
    std::fflush(stderr);
}

namespace {

// The file names live in fixed buffers of the thread that reads, so the
// fault handler can write them without allocating; a longer path is cut.
constexpr std::size_t kFileNameBytes = 1024;
struct FileNames {
    char reading[kFileNameBytes] = {};  // the innermost scope's
    char left[kFileNameBytes] = {};     // the one an escaping exception left
    int depth = 0;
};
thread_local FileNames fileNames;

void CopyName(char (&to)[kFileNameBytes], const char* from) {
    std::size_t n = std::strlen(from);
    if (n >= kFileNameBytes) n = kFileNameBytes - 1;
    std::memcpy(to, from, n);
    to[n] = 0;
}

const char* ReportedFileName() { return fileNames.reading[0] ? fileNames.reading : fileNames.left; }

RuntimeErrorTrap& Trap() {
    static RuntimeErrorTrap trap = nullptr;
    return trap;
}

}  // namespace

ReadingFile::ReadingFile(StringView path) : previous_(fileNames.reading), exceptions_(std::uncaught_exceptions()) {
    // A new outermost read starts afresh: what an earlier exception left
    // was reported or handled by now.
    if (fileNames.depth++ == 0 && exceptions_ == 0) fileNames.left[0] = 0;
    const String mapped = MapDataPath(path);
    CopyName(fileNames.reading, ToUtf8(mapped.empty() ? path : StringView(mapped)).c_str());
}

ReadingFile::~ReadingFile() {
    if (std::uncaught_exceptions() > exceptions_ && !fileNames.left[0]) CopyName(fileNames.left, fileNames.reading);
    CopyName(fileNames.reading, previous_.c_str());
    --fileNames.depth;
}

std::string ReportedFile() { return ReportedFileName(); }

RuntimeErrorTrap SetRuntimeErrorTrap(RuntimeErrorTrap trap) {
    RuntimeErrorTrap previous = Trap();
    Trap() = trap;
    return previous;
}

namespace {
// Writes the "File: " line of a report when a file is being read; stdio
// only, no allocation (the report may be for std::bad_alloc).
void PutFileLine() {
    const char* file = ReportedFileName();
    if (!*file) return;
    std::fputs("File: ", stdout);
    std::fputs(file, stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

// Ends the process at once. The game's objects are not torn down: the
// devices live until the process ends, and a half-finished frame or a fault
// is no state to run destructors from.
ProgramEndHook g_programEndHook = nullptr;

[[noreturn]] void EndProcess(int code) {
    if (g_programEndHook) g_programEndHook(code);
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}
}  // namespace

void SetProgramEndHook(ProgramEndHook hook) { g_programEndHook = hook; }

[[noreturn]] void EndApp() {
#ifdef ORBEL_HAS_LEAK_CHECKER
    // _Exit skips the leak check that a sanitizer build runs at a normal
    // exit. A soak asks for it here, at the orderly end, where all that the
    // game still holds is reachable and only what it lost is reported (a
    // leak ends the process with LeakSanitizer's exit code).
    if (std::getenv("ORBEL_LEAK_CHECK_AT_END")) __lsan_do_leak_check();
#endif
    EndProcess(0);
}

[[noreturn]] void ReportUncaughtError() {
    Print(u"Cobalt Runtime Error : Uncaught Cobalt Exception");
    PutFileLine();
    EndProcess(-1);
}

[[noreturn]] void ReportUncaughtCppException() {
    // Written straight from the exception's own text: the exception may be
    // std::bad_alloc, so the report asks the heap for nothing it can do
    // without (only the demangled name, and falls back on the raw one).
#ifdef __EMSCRIPTEN__
    // The browser build's runtime cannot name the exception in flight; a
    // standard exception still names its own type below.
    const std::type_info* type = nullptr;
#else
    const std::type_info* type = abi::__cxa_current_exception_type();
#endif
    const char* what = nullptr;
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            what = e.what();
            if (!type) type = &typeid(e);
        } catch (...) {}
    }
    const char* rawName = type ? type->name() : "of unknown type";
    int status = 0;
    char* demangled = type ? abi::__cxa_demangle(rawName, nullptr, nullptr, &status) : nullptr;
    const char* name = demangled ? demangled : rawName;
    std::fputs("Cobalt Runtime Error : Uncaught C++ exception ", stdout);
    std::fputs(name, stdout);
    // std::bad_alloc and its kind say no more than their name.
    if (what && *what && std::strcmp(what, name) != 0) {
        std::fputs(" (", stdout);
        std::fputs(what, stdout);
        std::fputs(")", stdout);
    }
    std::fputs("\n", stdout);
    PutFileLine();
    std::free(demangled);
    EndProcess(-1);
}

void DebuggerStop() {
    std::string pos = ToBytes(SourcePositionText());
    std::fprintf(stderr, "{{~~%s~~}}\n", pos.c_str());
    std::fflush(stderr);
    for (;;) {
        char line[257];
        if (!std::fgets(line, sizeof line, stdin)) EndProcess(-1);
        std::size_t len = std::strlen(line);
        // A line that did not fit (or end of input without a newline) is not
        // a command the debugger can have meant.
        if (len == 0 || line[len - 1] != '\n') EndProcess(-1);
        switch (line[0]) {
            case 'r': DebuggerStepMode() = 0; return;
            case 's':
            case 'e': DebuggerStepMode() = line[0]; return;
            case 'l': DebuggerStepMode() = 0; return;
            case 'q': EndProcess(0);
            case '@': {
                // Object addresses are never dereferenced from outside input: an
                // address cannot be validated, so the answer is the empty line.
                std::fputs("\n", stderr);
                std::fflush(stderr);
                continue;
            }
            case '?': continue;
            default: {
                line[len - 1] = 0;
                std::printf("????? %s ?????\n", line);
                std::fflush(stdout);
                EndProcess(-1);
            }
        }
    }
}

namespace {
// Only a debugger that says it is there (ORBEL_DEBUGGER=1) is waited for: a
// player who started the game from a terminal would otherwise be left with
// a window that no longer answers, waiting on a line nobody sends.
bool DebuggerAttached() {
    const char* value = std::getenv("ORBEL_DEBUGGER");
    return value && std::strcmp(value, "1") == 0;
}
}  // namespace

[[noreturn]] void RuntimeError(StringView message) {
    if (message.empty()) EndApp();
    if (RuntimeErrorTrap trap = Trap()) trap(message);
    const bool debugger = DebuggerAttached();
    for (;;) {
        Print(String(u"Cobalt Runtime Error : ") + String(message));
        PutFileLine();
        Print(SourcePositionText());
        if (!debugger) {
            // The stop line still goes out, as after a fault, so a log shows
            // where the game stopped.
            std::string pos = ToBytes(SourcePositionText());
            std::fprintf(stderr, "{{~~%s~~}}\n", pos.c_str());
            EndProcess(-1);
        }
        DebuggerStop();
    }
}

[[noreturn]] void RuntimeError(const char* utf8Message) { RuntimeError(S(utf8Message)); }

namespace {

// The main thread's stack, recorded when the handlers are installed. The
// handler runs on its own alternate stack, so it cannot judge a faulting
// address against its own locals.
std::uintptr_t stackLow = 0;
std::uintptr_t stackHigh = 0;
// A frame may step this far below the stack's lowest page in one go (a
// large local array) before touching memory.
constexpr std::uintptr_t kStackOverflowSlack = 1u << 20;

void RecordMainStack() {
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return;
    void* base = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attr, &base, &size) == 0) {
        stackLow = reinterpret_cast<std::uintptr_t>(base);
        stackHigh = stackLow + size;
    }
    pthread_attr_destroy(&attr);
}

bool IsStackOverflow(const void* faultAddress) {
    auto addr = reinterpret_cast<std::uintptr_t>(faultAddress);
    if (stackHigh == 0 || addr == 0) return false;
    std::uintptr_t low = stackLow > kStackOverflowSlack ? stackLow - kStackOverflowSlack : 0;
    return addr >= low && addr < stackHigh;
}

// The fault report is built in place and written with write(2): the fault
// may come from inside malloc or while another thread holds a stdio lock,
// so the handler neither allocates nor touches stdio.
class FixedText {
public:
    void Add(const char* text) {
        while (*text) Put(*text++);
    }
    // The same encoding as ToUtf8: each UTF-16 unit on its own.
    void AddUtf8(const String& text) {
        for (char16_t c : text) {
            unsigned v = c;
            if (v < 0x80) {
                Put(static_cast<char>(v));
            } else if (v < 0x800) {
                Put(static_cast<char>(0xC0 | (v >> 6)));
                Put(static_cast<char>(0x80 | (v & 0x3F)));
            } else {
                Put(static_cast<char>(0xE0 | (v >> 12)));
                Put(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
                Put(static_cast<char>(0x80 | (v & 0x3F)));
            }
        }
    }
    // The same as ToBytes: the low byte of each unit.
    void AddBytes(const String& text) {
        for (char16_t c : text) Put(static_cast<char>(c & 0xFF));
    }
    void WriteTo(int fd) const {
        std::size_t done = 0;
        while (done < used_) {
            ssize_t n = ::write(fd, buf_ + done, used_ - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                return;
            }
        }
    }

private:
    // What does not fit is cut off; the report's own text always fits.
    void Put(char c) {
        if (used_ < sizeof buf_) buf_[used_++] = c;
    }
    char buf_[1024];
    std::size_t used_ = 0;
};

// Set by the first fault; the report is written once even when two threads
// fault together.
std::atomic<bool> faultReported{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the fault handler's flag must be lock-free");

void FaultHandler(int sig, siginfo_t* info, void*) {
    // A second faulting thread waits for the first to end the process.
    if (faultReported.exchange(true)) {
        for (;;) ::pause();
    }
    // Default handling from here, so a fault inside the report cannot loop.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    for (int s : {SIGSEGV, SIGBUS, SIGILL, SIGFPE}) sigaction(s, &dfl, nullptr);

    const char* message = "Unknown exception";
    switch (sig) {
        case SIGSEGV:
        case SIGBUS:
            message = IsStackOverflow(info ? info->si_addr : nullptr) ? "Stack overflow" : "Memory access violation";
            break;
        case SIGILL: message = "Illegal instruction"; break;
        case SIGFPE:
            message = (info && info->si_code == FPE_INTDIV) ? "Integer divide by zero" : "Unknown exception";
            break;
        default: break;
    }
    // The text of RuntimeError's report and the debugger's stop line. The
    // debugger is not waited for: nothing can go on after a fault, and the
    // other threads (the game's, when the fault is the mixer's) must not.
    const String& position = SourcePositionText();
    FixedText report;
    report.Add("Cobalt Runtime Error : ");
    report.Add(message);
    report.Add("\n");
    if (const char* file = ReportedFileName(); *file) {
        report.Add("File: ");
        report.Add(file);
        report.Add("\n");
    }
    report.AddUtf8(position);
    report.Add("\n");
    report.WriteTo(STDOUT_FILENO);
    FixedText stop;
    stop.Add("{{~~");
    stop.AddBytes(position);
    stop.Add("~~}}\n");
    stop.WriteTo(STDERR_FILENO);
    // Output the program left in stdio's buffers is not flushed: the
    // buffers' locks may be held. Print flushes every line it writes.
    ::_exit(-1);
}

}  // namespace

void InstallFaultHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    RecordMainStack();
    // An alternate stack lets the handler run when the fault is a stack
    // overflow (the thread's own stack is used up then).
    // The report is formatted on this stack, so it gets more than the
    // minimum (sanitizer builds have much larger frames).
    static std::size_t size = 1 << 18;
    static void* altStack = std::malloc(size);
    stack_t ss{};
    ss.ss_sp = altStack;
    ss.ss_size = size;
    ss.ss_flags = 0;
    sigaltstack(&ss, nullptr);
    struct sigaction sa {};
    sa.sa_sigaction = FaultHandler;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGSEGV, &sa, nullptr);
    sigaction(SIGBUS, &sa, nullptr);
    sigaction(SIGILL, &sa, nullptr);
    sigaction(SIGFPE, &sa, nullptr);
}

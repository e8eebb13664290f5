// runtime_error.cpp — the runtime-error report, the debugger line protocol,
// the print routines and the processor-fault translator.
#include "host/runtime_error.h"

#include <cxxabi.h>
#include <pthread.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <typeinfo>

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
// Ends the process at once. The game's objects are not torn down: the
// devices live until the process ends, and a half-finished frame or a fault
// is no state to run destructors from.
[[noreturn]] void EndProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}
}  // namespace

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
    EndProcess(-1);
}

[[noreturn]] void ReportUncaughtCppException() {
    // Written straight from the exception's own text: the exception may be
    // std::bad_alloc, so the report asks the heap for nothing it can do
    // without (only the demangled name, and falls back on the raw one).
    const std::type_info* type = abi::__cxa_current_exception_type();
    const char* rawName = type ? type->name() : "of unknown type";
    int status = 0;
    char* demangled = type ? abi::__cxa_demangle(rawName, nullptr, nullptr, &status) : nullptr;
    const char* name = demangled ? demangled : rawName;
    const char* what = nullptr;
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {}
    }
    std::fputs("Cobalt Runtime Error : Uncaught C++ exception ", stdout);
    std::fputs(name, stdout);
    // std::bad_alloc and its kind say no more than their name.
    if (what && *what && std::strcmp(what, name) != 0) {
        std::fputs(" (", stdout);
        std::fputs(what, stdout);
        std::fputs(")", stdout);
    }
    std::fputs("\n", stdout);
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

[[noreturn]] void RuntimeError(StringView message) {
    if (message.empty()) EndApp();
    for (;;) {
        Print(String(u"Cobalt Runtime Error : ") + String(message));
        Print(SourcePositionText());
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

void FaultHandler(int sig, siginfo_t* info, void*) {
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
    // Restore default handling so a fault inside the report cannot loop.
    std::signal(SIGSEGV, SIG_DFL);
    std::signal(SIGBUS, SIG_DFL);
    std::signal(SIGILL, SIG_DFL);
    std::signal(SIGFPE, SIG_DFL);
    RuntimeError(message);
}

}  // namespace

void InstallFaultHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    RecordMainStack();
    // An alternate stack lets the handler run when the fault is a stack
    // overflow (the thread's own stack is used up then).
    // The report allocates and formats text, so it gets room to do so (more
    // than the minimum: sanitizer builds have much larger frames).
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

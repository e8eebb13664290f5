// runtime_error.h — how the program reports what it cannot go on from.
//
// Three ways out: RuntimeError(message) prints the "Cobalt Runtime Error : "
// report and the debugger's stop line and ends with -1, or, with
// ORBEL_DEBUGGER=1 set, hands over to the debugger line protocol, which never
// returns to the game; RuntimeError("") (EndApp) is the orderly end with exit code 0; a
// thrown ThrowableObject, or any other C++ exception, that nothing catches
// reaches the host, which prints the uncaught report and exits with -1.
// Processor faults (signals) are reported by InstallFaultHandlers, and end
// the process without the debugger. A report raised while a loader reads a
// file (ReadingFile) names that file on a line of its own after the message.
#pragma once

#include <string>

#include "host/object.h"
#include "host/text.h"

// Base of every error object the game throws (thrown as Ref<ThrowableObject>).
class ThrowableObject : public Object {
public:
    String ToString() const override { return u"ThrowableObject"; }
};

// Throws an error object; the host's handler reports it as uncaught.
template <class T, class... Args>
[[noreturn]] void ThrowError(Args&&... args) {
    throw Ref<ThrowableObject>(New<T>(std::forward<Args>(args)...));
}

// Reports a runtime error and never returns: exit code -1, after the
// debugger's commands when ORBEL_DEBUGGER=1. An empty message ends the
// program with exit code 0.
[[noreturn]] void RuntimeError(StringView message);
[[noreturn]] void RuntimeError(const char* utf8Message);
// Ends the program at once with exit code 0.
[[noreturn]] void EndApp();
// Called with the exit code just before a runtime error or EndApp ends the
// program, where ending the process does not end everything (in a browser
// the page stays and its frames would keep coming). Not called on a
// processor fault. Null (the default) for none.
using ProgramEndHook = void (*)(int exitCode);
void SetProgramEndHook(ProgramEndHook hook);
// Prints "Cobalt Runtime Error : Uncaught Cobalt Exception" and exits with -1.
[[noreturn]] void ReportUncaughtError();
// Called inside a catch block: prints "Cobalt Runtime Error : Uncaught C++
// exception " with the exception's type and its what() text, and exits with
// -1, as for the game's own error objects.
[[noreturn]] void ReportUncaughtCppException();

// Names the file a loader is reading for as long as it lives, so that a
// runtime error, an uncaught exception or a fault raised meanwhile adds the
// line "File: <path>" (the path as opened: "cobalt:" paths mapped) after its
// message. Scopes nest; the innermost names the file. An exception that
// leaves a scope takes the name along to the uncaught report.
//
//   ReadingFile reading(path);
//   ... parse; any RuntimeError here names `path` ...
class ReadingFile {
public:
    explicit ReadingFile(StringView path);
    ~ReadingFile();
    ReadingFile(const ReadingFile&) = delete;
    ReadingFile& operator=(const ReadingFile&) = delete;

private:
    std::string previous_;
    int exceptions_;
};
// The file the reports would name now (empty when none).
std::string ReportedFile();

// What a runtime error does first: fuzz targets and in-process replays of
// their inputs install a trap that throws, so a refusal unwinds to them
// instead of ending the process. A trap that returns lets the report go on.
// Null (the default) for none; the orderly end (an empty message) is never
// trapped. Returns the trap it replaced.
using RuntimeErrorTrap = void (*)(StringView message);
RuntimeErrorTrap SetRuntimeErrorTrap(RuntimeErrorTrap trap);

// The debugger line protocol on the standard streams (see runtime_error.cpp).
// Returns when the debugger asks to go on (r, s, e, l).
void DebuggerStop();

// The game's print routine: UTF-8 and a newline to standard output, flushed.
void Print(StringView text);
void Print(const char* utf8);
// Debug text: the low byte of each character and a newline to standard
// error, flushed.
void DebugLog(StringView text);

// The current source-position text (nothing in the game sets it).
String& SourcePositionText();
// The debugger's step mode letter (0 when not stepping) and mode letter.
char& DebuggerStepMode();

// Reports SIGSEGV, SIGBUS, SIGILL, SIGFPE and stack overflow with the text
// of a runtime error (messages "Memory access violation", "Illegal
// instruction", "Integer divide by zero", "Stack overflow" and "Unknown
// exception") and the debugger's stop line, then ends the whole process with
// -1 on whichever thread faulted. The handler is async-signal-safe: no
// allocation, no stdio, only write(2) and _exit.
void InstallFaultHandlers();

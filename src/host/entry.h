// entry.h — the program's entry, kept out of main.cpp so tests can reach it.
#pragma once

// Initialises the host, constructs the application and runs the main loop.
// Returns the process exit code.
int OrbelMain(int argc, char** argv);

// The command line as main received it.
int ProgramArgc();
char** ProgramArgv();

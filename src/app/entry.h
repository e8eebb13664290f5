// entry.h — the program's entry, kept out of main.cpp so tests can reach it.
#pragma once

#include <functional>

#include "app/app.h"

// Constructs the game's application object (its construction hands the
// delegate to the host).
using AppFactory = std::function<Ref<c_App>()>;

// Finds the data folder (exit code 1, before any window, when there is
// none), initialises GLFW and the host, constructs the application with
// `makeApp`, and runs the main loop while the application has set a
// delegate. Returns the process exit code.
int OrbelMain(int argc, char** argv, const AppFactory& makeApp);

// The command line as main received it.
int ProgramArgc();
char** ProgramArgv();

// entry.cpp — program set-up: the data folder, GLFW, the host, the
// application, the loop.
#include "app/entry.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/files.h"
#include "host/glfw_platform.h"
#include "host/rnd.h"
#include "host/rt_glfw_game.h"
#include "host/runtime_error.h"

namespace {
int savedArgc = 0;
char** savedArgv = nullptr;
}  // namespace

int ProgramArgc() { return savedArgc; }
char** ProgramArgv() { return savedArgv; }

int OrbelMain(int argc, char** argv, const AppFactory& makeApp) {
    // Without its data the game can show nothing: say where it looked and
    // end before a window opens.
    DataSearch data = FindDataFolder();
    if (data.folder.empty()) {
        std::string tried;
        for (const std::string& folder : data.tried) tried += (tried.empty() ? "" : ", ") + folder;
        std::fprintf(stderr, "Orbel cannot find its data (looked in %s)\n", tried.c_str());
        return 1;
    }
    UseDataFolder(data.folder, data.inWorkingDirectory);
    if (!GlfwPlatform::Init()) {
        Print(u"glfwInit failed");
        return -1;
    }
    int exitCode = 0;
    {
        RtCobaltGame host(std::make_unique<GlfwPlatform>());
        Ref<c_App> app;
        try {
            savedArgc = argc;
            savedArgv = argv;
            InstallFaultHandlers();
            if (!std::setlocale(LC_CTYPE, "en_US.UTF-8")) std::setlocale(LC_CTYPE, "");
            rnd::Seed() = rnd::kInitialSeed;
            app = makeApp();
        } catch (const Ref<ThrowableObject>& error) {
            GlfwPlatform::Terminate();
            host.ReportUncaughtError(error);
        } catch (...) {
            GlfwPlatform::Terminate();
            ReportUncaughtCppException();
        }
        if (host.GetDelegate() && !host.Run()) {
            Print(u"Failed to open the game window");
            exitCode = -1;
        }
        // The devices go while their GL context and OpenAL still exist.
        ResetAppLayer();
    }
    GlfwPlatform::Terminate();
    return exitCode;
}

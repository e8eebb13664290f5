// web_entry.cpp — program set-up in a web browser: the preloaded data, the
// saves in the browser's own storage, GLFW and the host, the application, and
// the browser's frames driving the loop.
//
// The page's file system holds the data under /data (preloaded with the
// page) and keeps the save folder in IndexedDB: it is read back before the
// game starts and written out after every save. main returns at once; the
// game starts when the saves are in, and from then on the browser calls one
// frame of the host's loop each time it paints. The page (web/page.js) shows
// the progress, the errors and the end.
#include <GLFW/glfw3.h>
#include <emscripten/emscripten.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/entry.h"
#include "host/files.h"
#include "host/rnd.h"
#include "host/rt_glfw_game.h"
#include "host/runtime_error.h"
#include "host/web_platform.h"

namespace {
int savedArgc = 0;
char** savedArgv = nullptr;

// What the page's frames run; it lives as long as the page.
struct WebRun {
    AppFactory makeApp;
    WebPlatform* platform = nullptr;
    std::unique_ptr<RtCobaltGame> host;
    Ref<c_App> app;
};

WebRun& Running() {
    static WebRun* run = new WebRun;
    return *run;
}

void Frame(void*) {
    WebRun& run = Running();
    const double start = emscripten_get_now();
    run.host->RunFrame();
    // The page keeps the timings (the web benchmark reads them).
    EM_ASM(
        {
            if (Module.orbelFrameDone) Module.orbelFrameDone($0, $1);
        },
        start, run.host->IsSuspended());
}

// A runtime error or the game's own end leaves the page standing: no more
// frames, and the page says what happened.
void EndOnPage(int exitCode) {
    emscripten_cancel_main_loop();
    EM_ASM(
        {
            if (Module.orbelEnded) Module.orbelEnded($0);
        },
        exitCode);
}

// Writes the save folder out to the browser's storage.
void FlushSaves() {
    EM_ASM({
        FS.syncfs(
            false, function(error) {
                if (error) console.warn("Orbel could not keep its saves in this browser: " + error);
            });
    });
}

void Fail(const char* message) {
    Print(message);
    EndOnPage(-1);
}

}  // namespace

int ProgramArgc() { return savedArgc; }
char** ProgramArgv() { return savedArgv; }

// Starts the game once the saves are read back (called from the page's
// file-system callback).
extern "C" EMSCRIPTEN_KEEPALIVE void orbel_web_start() {
    WebRun& run = Running();
    SetProgramEndHook(EndOnPage);
    SetFileSavedHook(FlushSaves);
    if (glfwInit() != GLFW_TRUE) return Fail("glfwInit failed");
    auto platform = std::make_unique<WebPlatform>();
    run.platform = platform.get();
    run.host = std::make_unique<RtCobaltGame>(std::move(platform));
    try {
        if (!std::setlocale(LC_CTYPE, "en_US.UTF-8")) std::setlocale(LC_CTYPE, "");
        rnd::Seed() = rnd::kInitialSeed;
        run.app = run.makeApp();
    } catch (const Ref<ThrowableObject>& error) {
        run.host->ReportUncaughtError(error);
    } catch (...) {
        ReportUncaughtCppException();
    }
    if (!run.host->GetDelegate()) return;
    if (!run.host->BeginRun()) return Fail("Failed to open the game window");
    // A hidden tab gets no frames: the change is seen by a frame run at once.
    run.platform->SetActivityListener([] { Running().host->RunFrame(); });
    emscripten_set_main_loop_arg(Frame, nullptr, 0, EM_FALSE);
}

// Whether the game is suspended (the page lost the focus or is hidden).
extern "C" EMSCRIPTEN_KEEPALIVE int orbel_web_suspended() {
    WebRun& run = Running();
    return run.host && run.host->IsSuspended() ? 1 : 0;
}

int OrbelMain(int argc, char** argv, const AppFactory& makeApp) {
    savedArgc = argc;
    savedArgv = argv;
    DataSearch data = FindDataFolder();
    if (data.folder.empty()) {
        std::fprintf(stderr, "Orbel cannot find its data (looked in %s)\n", data.tried.front().c_str());
        EndOnPage(1);
        return 1;
    }
    // The saves go to the player's folder, never beside the data: that is
    // the folder the browser keeps.
    UseDataFolder(data.folder, false);
    std::string saves = SaveFolder();
    while (saves.size() > 1 && saves.back() == '/') saves.pop_back();
    std::error_code error;
    std::filesystem::create_directories(saves, error);
    Running().makeApp = makeApp;
    EM_ASM(
        {
            FS.mount(IDBFS, {}, UTF8ToString($0));
            FS.syncfs(
                true, function(error) {
                    if (error) console.warn("Orbel could not read its saves in this browser: " + error);
                    _orbel_web_start();
                });
        },
        saves.c_str());
    return 0;
}

// open_url.cpp — see open_url.h.
#include "host/open_url.h"

#include <sys/wait.h>
#include <unistd.h>

bool LaunchUrl(const std::string& url, const char* handler) {
    if (url.empty() || url[0] == '-') return false;
    // Everything the children need is prepared before fork: after it only
    // async-signal-safe calls are made.
    std::string program = handler;
    char* argv[] = {program.data(), const_cast<char*>(url.c_str()), nullptr};
    pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        // The intermediate child exits at once, so the handler is adopted
        // by init and never lingers as a zombie of the game.
        if (::fork() == 0) {
            ::execvp(argv[0], argv);
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// child_process.cpp — see child_process.h.
#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Reads both pipes until they close or the deadline passes; then reaps.
ChildResult Collect(pid_t pid, int outFd, int errFd, int timeoutSeconds) {
    ChildResult result;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    std::vector<pollfd> fds = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[] = {&result.out, &result.err};
    int open = 2;
    bool killed = false;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        if (::poll(fds.data(), fds.size(), static_cast<int>(left.count())) <= 0) continue;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    if (killed) result.err += "\n[killed after timeout]";
    return result;
}

struct Pipes {
    int in[2], out[2], err[2];
    Pipes() {
        if (::pipe(in) || ::pipe(out) || ::pipe(err)) std::abort();
    }
    void SetUpChild() {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    }
};

// Forks; the child runs `child` (which does not return) with the pipes as
// its standard streams, the parent writes `input` and collects the output.
ChildResult Spawn(const std::function<void()>& child, const std::string& input, int timeoutSeconds) {
    std::fflush(stdout);
    std::fflush(stderr);
    Pipes p;
    pid_t pid = ::fork();
    if (pid == 0) {
        p.SetUpChild();
        child();
    }
    ::close(p.in[0]);
    ::close(p.out[1]);
    ::close(p.err[1]);
    // The input is small; it fits the pipe buffer and is followed by end of input.
    if (!input.empty() && ::write(p.in[1], input.data(), input.size()) < 0) std::perror("write");
    ::close(p.in[1]);
    return Collect(pid, p.out[0], p.err[0], timeoutSeconds);
}

}  // namespace

ChildResult RunInChild(const std::function<void()>& body, const std::string& input, int timeoutSeconds) {
    return Spawn(
        [&] {
            body();
            std::fflush(stdout);
            std::fflush(stderr);
            std::exit(0);
        },
        input, timeoutSeconds);
}

ChildResult RunProgram(const std::vector<std::string>& argv, int timeoutSeconds) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    return Spawn(
        [&] {
            ::execvp(args[0], args.data());
            ::_exit(127);
        },
        "", timeoutSeconds);
}

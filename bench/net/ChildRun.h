#pragma once

// What the benchmarks that compare the program with other clients share: a run in a process of
// its own, measured by its wall time and peak memory.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace quillory::bench {

// What a finished child cost: wall time from its start, its peak resident memory, its exit code.
struct Run {
    double seconds = 0;
    long peakKiB = 0;
    int status = -1;
};

// Runs `body` in a child process (or the program `argv` when it is given) and waits for it. The
// child's standard input and output are /dev/null; its errors still show.
template <class Body>
Run InChild(Body&& body, const std::vector<std::string>& argv = {}) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        if (argv.empty()) ::_exit(body());
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace quillory::bench

// Launching a built program to its end and reading what it cost, for benchmarks that measure
// whole processes.
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm::bench {

struct Outcome {
    bool Ok = false;
    std::string Why;
    double WallS = 0;
    double PeakBytes = 0;
    double CpuS = 0; // user + system of the process and every thread it ran
};

// Runs ARGS to its end with stdout and stderr in LOG; the reason of a failure quotes LOG's tail.
inline Outcome Launch(const std::vector<std::string>& args, const std::filesystem::path& log) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    Outcome out;
    const auto start = std::chrono::steady_clock::now();
    // fork, not vfork or posix_spawn: a child sharing the parent's memory until exec would report
    // the parent's high-water mark as its own.
    const pid_t pid = ::fork();
    if (pid < 0) {
        out.Why = "fork failed";
        return out;
    }
    if (pid == 0) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::close(fd);
        }
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        out.Why = "wait4 failed";
        return out;
    }
    out.WallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.PeakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    out.CpuS = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        out.Ok = true;
        return out;
    }
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    std::string said = text.str();
    if (said.size() > 600) said = "..." + said.substr(said.size() - 600);
    out.Why = std::filesystem::path(args[0]).filename().string() +
              (WIFEXITED(status) ? " exited with " + std::to_string(WEXITSTATUS(status))
                                 : " died of signal " + std::to_string(WTERMSIG(status))) +
              ": " + said;
    return out;
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace qm::bench

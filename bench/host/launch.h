// Launching a built program to its end and reading what it cost, for benchmarks that measure
// whole processes.
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
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
    // Read from /proc at the script's signal (qmhost only).
    double HighWaterBytes = 0;
    double SettledBytes = 0;
};

// A field of /proc/PID/status in bytes, or 0.
inline double StatusBytes(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::strtod(line.c_str() + field.size() + 1, nullptr) * 1024.0;
    return 0;
}

// The pair of files a script's "touch READY" and "wait-for GO" steps meet the launcher with.
struct Handshake {
    std::filesystem::path Ready, Go;
};

// Runs ARGS to its end with stdout and stderr in LOG; the reason of a failure quotes LOG's tail.
// With a handshake, the child's memory is read when it signals READY, and GO lets it go on.
inline Outcome Launch(const std::vector<std::string>& args, const std::filesystem::path& log,
                      const Handshake* meet = nullptr) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (meet) {
        std::filesystem::remove(meet->Ready);
        std::filesystem::remove(meet->Go);
    }

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
    bool met = false;
    for (;;) {
        const pid_t done = ::wait4(pid, &status, meet && !met ? WNOHANG : 0, &usage);
        if (done == pid) break;
        if (done < 0) {
            out.Why = "wait4 failed";
            return out;
        }
        if (std::filesystem::exists(meet->Ready)) {
            out.HighWaterBytes = StatusBytes(pid, "VmHWM");
            out.SettledBytes = StatusBytes(pid, "VmRSS");
            std::ofstream(meet->Go).flush();
            met = true;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    out.WallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.PeakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    out.CpuS = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        out.Ok = !meet || met;
        if (!out.Ok) out.Why = "the script never signalled";
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

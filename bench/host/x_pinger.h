// Watching a launched qmhost from outside on an X server of its own (Xvfb), as a window manager
// sees it: a child process reaped at scope end, the server itself, and _NET_WM_PING sent to the
// program's window and awaited.
//
// A window manager asks a window whose WM_PROTOCOLS lists _NET_WM_PING whether it is alive by
// sending it a _NET_WM_PING client message; the program answers from its event loop by sending the
// message back to the root window. The wait for that answer is how long the window was unanswering.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm::bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A child process, killed and reaped when it goes out of scope unless it ended by itself.
class Child {
public:
    Child(const std::vector<std::string>& args, const std::vector<std::string>& env,
          const std::filesystem::path& log) {
        FPid = ::fork();
        if (FPid != 0) return;
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::close(fd);
        }
        for (const std::string& e : env)
            ::putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        _exit(127);
    }
    ~Child() {
        if (FPid <= 0 || FDone) return;
        ::kill(FPid, SIGTERM);
        ::waitpid(FPid, nullptr, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return FPid; }
    // Whether it ended; its exit status in *code.
    bool Ended(int* code) {
        if (FDone) return true;
        int status = 0;
        if (::waitpid(FPid, &status, WNOHANG) != FPid) return false;
        FDone = true;
        *code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }
    // Waits for its end and returns its exit status.
    int Wait() {
        int code = 0;
        while (!Ended(&code))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return code;
    }

private:
    pid_t FPid = -1;
    bool FDone = false;
};

// Why qmhost, ended with CODE, failed: its code and what it wrote to LOG.
inline std::string HostEnded(int code, const std::filesystem::path& log, const std::string& when = {}) {
    return "qmhost ended with " + std::to_string(code) + when + ": " + ReadAll(log);
}

// Waits for qmhost's end; false, with WHY saying so, unless it ended well.
inline bool EndedWell(Child& host, const std::filesystem::path& log, std::string& why) {
    const int code = host.Wait();
    if (code != 0) why = HostEnded(code, log);
    return code == 0;
}

// An Xvfb on a display of its own, gone with the object. The server chooses the display itself and
// says which (-displayfd): two benchmarks started at once would otherwise both pick the first free
// number, and one of them would be talking to the other's server when that one ends. It does not
// start itself over when its last client goes (-noreset): while it did, the next run's connection
// was refused.
class XServer {
public:
    explicit XServer(const std::filesystem::path& log)
        : FXvfb({"Xvfb", "-displayfd", std::to_string(FReady.Write), "-screen", "0", "1280x800x24",
                 "-nolisten", "tcp", "-noreset"},
                {}, log) {
        ::close(FReady.Write);
        FReady.Write = -1;
        std::string number;
        char c = 0;
        pollfd p{FReady.Read, POLLIN, 0};
        while (::poll(&p, 1, 10000) > 0 && ::read(FReady.Read, &c, 1) == 1 && c != '\n')
            number += c;
        if (!number.empty() && c == '\n') FDisplay = ":" + number;
    }
    // Empty when the server did not start.
    const std::string& Display() const { return FDisplay; }

private:
    // Where the server writes its display number; only the write end goes to the server.
    struct Pipe {
        int Read = -1, Write = -1;
        Pipe() {
            int fds[2];
            if (::pipe(fds) != 0) return;
            Read = fds[0];
            Write = fds[1];
            ::fcntl(Read, F_SETFD, FD_CLOEXEC);
        }
        ~Pipe() {
            for (const int fd : {Read, Write})
                if (fd >= 0) ::close(fd);
        }
        Pipe(const Pipe&) = delete;
        Pipe& operator=(const Pipe&) = delete;
    };

    Pipe FReady;
    Child FXvfb;
    std::string FDisplay;
};

struct Atoms {
    Atom Protocols, Ping, Pid;
    explicit Atoms(::Display* d)
        : Protocols(XInternAtom(d, "WM_PROTOCOLS", False)), Ping(XInternAtom(d, "_NET_WM_PING", False)),
          Pid(XInternAtom(d, "_NET_WM_PID", False)) {}
};

// The mapped top-level window of process pid that offers _NET_WM_PING, or 0.
inline Window FindPingable(::Display* d, const Atoms& atoms, pid_t pid) {
    Window root = DefaultRootWindow(d), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, root, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attrs;
        if (!XGetWindowAttributes(d, children[i], &attrs) || attrs.map_state != IsViewable) continue;
        Atom type;
        int format;
        unsigned long n = 0, after = 0;
        unsigned char* data = nullptr;
        bool ours = false;
        if (XGetWindowProperty(d, children[i], atoms.Pid, 0, 1, False, XA_CARDINAL, &type, &format, &n,
                               &after, &data) == Success &&
            data && n == 1)
            ours = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid;
        if (data) XFree(data);
        if (!ours) continue;
        Atom* protocols = nullptr;
        int listed = 0;
        if (XGetWMProtocols(d, children[i], &protocols, &listed)) {
            for (int k = 0; k < listed; ++k)
                if (protocols[k] == atoms.Ping) found = children[i];
            XFree(protocols);
        }
    }
    if (children) XFree(children);
    return found;
}

// A connection to the display that pings one window, one ping at a time.
class Pinger {
public:
    // No display name is no display, not the one the environment names.
    explicit Pinger(const std::string& display)
        : FDisplay(display.empty() ? nullptr : XOpenDisplay(display.c_str())) {
        if (!FDisplay) return;
        FAtoms = std::make_unique<Atoms>(FDisplay);
        // Answers go to the root window for whoever listens to its children.
        XSelectInput(FDisplay, DefaultRootWindow(FDisplay), StructureNotifyMask | SubstructureNotifyMask);
    }
    ~Pinger() {
        if (FDisplay) XCloseDisplay(FDisplay);
    }
    Pinger(const Pinger&) = delete;
    Pinger& operator=(const Pinger&) = delete;

    ::Display* Get() const { return FDisplay; }
    Window Target() const { return FWindow; }
    // Waits until the process shows a window that answers pings; false when it ended first or took
    // longer than the timeout.
    bool FindWindowOf(Child& process, std::chrono::seconds timeout) {
        const auto start = Clock::now();
        int code = 0;
        while (!(FWindow = FindPingable(FDisplay, *FAtoms, process.Pid()))) {
            if (process.Ended(&code) || Clock::now() - start > timeout) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    // Sends the next ping to the window; Await() waits for its answer.
    void Send() {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = FWindow;
        e.xclient.message_type = FAtoms->Protocols;
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(FAtoms->Ping);
        e.xclient.data.l[1] = ++FSerial; // the timestamp field: any value comes back unchanged
        e.xclient.data.l[2] = static_cast<long>(FWindow);
        XSendEvent(FDisplay, FWindow, False, NoEventMask, &e);
        XFlush(FDisplay);
    }
    // Waits up to `ms` for the answer to the last ping; true when it came.
    bool Await(int ms) {
        const auto until = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < until) {
            while (XPending(FDisplay)) {
                XEvent e;
                XNextEvent(FDisplay, &e);
                if (e.type == ClientMessage && e.xclient.message_type == FAtoms->Protocols &&
                    static_cast<Atom>(e.xclient.data.l[0]) == FAtoms->Ping && e.xclient.data.l[1] == FSerial)
                    return true;
            }
            pollfd p{ConnectionNumber(FDisplay), POLLIN, 0};
            ::poll(&p, 1, 1);
        }
        return false;
    }
    // A ping sent and answered: how long the answer took, or a negative value after `ms` without one.
    double Ping(int ms) {
        const auto sent = Clock::now();
        Send();
        return Await(ms) ? Ms(Clock::now() - sent) : -1;
    }

private:
    ::Display* FDisplay;
    std::unique_ptr<Atoms> FAtoms;
    Window FWindow = 0;
    long FSerial = 0;
};

} // namespace qm::bench

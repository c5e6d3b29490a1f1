// A private Xvfb server for the window tests, on the first free display number.
#pragma once

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace brindlet::test {

class XvfbServer {
public:
    XvfbServer() {
        for (int n = 71; n < 120 && !display; ++n) {
            char lock[64];
            std::snprintf(lock, sizeof lock, "/tmp/.X%d-lock", n);
            if (access(lock, F_OK) == 0) continue;
            name = ":" + std::to_string(n);
            pid = fork();
            if (pid == 0) {
                // Gone with the test process, and off its output so a pipe reading it ends.
                prctl(PR_SET_PDEATHSIG, SIGTERM);
                const int quiet = open("/dev/null", O_WRONLY);
                if (quiet >= 0) {
                    dup2(quiet, 1);
                    dup2(quiet, 2);
                }
                execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "800x600x24", "-nolisten",
                       "tcp", "-noreset", static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int tries = 0; tries < 100 && !display; ++tries) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                display = XOpenDisplay(name.c_str());
                int status = 0;
                if (!display && waitpid(pid, &status, WNOHANG) == pid) break;  // lost the race
            }
            if (!display) stop();
        }
        if (display) setenv("DISPLAY", name.c_str(), 1);
    }
    ~XvfbServer() {
        if (display) XCloseDisplay(display);
        stop();
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    Display* display = nullptr;  // the test host's own connection
    std::string name;

private:
    void stop() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    pid_t pid = -1;
};

}  // namespace brindlet::test

// A private Xvfb server for the window tests, on a display number Xvfb picks itself: test
// programs started at the same moment each get their own server.
#pragma once

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace brindlet::test {

class XvfbServer {
public:
    XvfbServer() {
        int ready[2];
        if (pipe(ready) != 0) return;
        pid = fork();
        if (pid == 0) {
            // Gone with the test process, and off its output so a pipe reading it ends.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int quiet = open("/dev/null", O_WRONLY);
            if (quiet >= 0) {
                dup2(quiet, 1);
                dup2(quiet, 2);
            }
            const std::string fd = std::to_string(ready[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24",
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        // Xvfb writes its display number once it takes clients; nothing within 10 s is a failure.
        char number[16] = {};
        pollfd wait{ready[0], POLLIN, 0};
        if (pid > 0 && poll(&wait, 1, 10000) == 1 && read(ready[0], number, 15) > 0) {
            name = ":" + std::to_string(std::atoi(number));
            display = XOpenDisplay(name.c_str());
        }
        close(ready[0]);
        if (display)
            setenv("DISPLAY", name.c_str(), 1);
        else
            stop();
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

// A private virtual X server for one test process: window tests then share
// neither pointer nor focus with tests running beside them.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class XvfbDisplay {
public:
    // Display numbers start from the process id: a number that another test's
    // server has just given up could lose its socket to that server's shutdown.
    XvfbDisplay() {
        for (int n = 100 + getpid() % 20000, tries = 0; tries < 20 && name_.empty(); n++, tries++) {
            const std::string number = std::to_string(n);
            if (access(("/tmp/.X" + number + "-lock").c_str(), F_OK) == 0) continue;
            start(":" + number);
        }
    }
    ~XvfbDisplay() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool ok() const { return !name_.empty(); }

private:
    // Xvfb writes the display number once it accepts clients; without a
    // reset when the last client leaves, a client coming right after one finds it.
    void start(const std::string& display) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            dup2(devnull, 2);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", display.c_str(), "-displayfd", fd.c_str(), "-screen", "0",
                   "1280x1024x24", "-nolisten", "tcp", "-noreset", (char*)nullptr);
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char ch;
        while (read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
        close(fds[0]);
        if (number.empty()) {
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return;
        }
        name_ = ":" + number;
        setenv("DISPLAY", name_.c_str(), 1);
    }

    pid_t pid_ = -1;
    std::string name_;
};

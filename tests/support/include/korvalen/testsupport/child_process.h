// A program started by a test, its standard output and error collected,
// which the test may kill at any moment; killed with the object if still
// running. POSIX only.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace korvalen::testsupport {

class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args) {
        int out[2], err[2];
        if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        for (int fd : {out[0], out[1], err[0], err[1]}) posix_spawn_file_actions_addclose(&actions, fd);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
        if (rc != 0) {
            pid_ = -1;
            throw std::runtime_error("cannot start " + program);
        }
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        if (err_ >= 0) close(err_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Kill() {
        if (pid_ > 0) kill(pid_, SIGKILL);
    }
    // Asks the child to end (SIGTERM), as the desktop does at log-out.
    void Terminate() {
        if (pid_ > 0) kill(pid_, SIGTERM);
    }

    // Waits for the end, collecting the output; the exit code, or -1 when
    // killed by a signal.
    int Wait() {
        Drain(true);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The same, giving up after `timeout`: -1 also when the child still runs
    // (it is then killed with this object).
    int Wait(std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) return -1;
            // Reading meanwhile keeps a talkative child from blocking on a
            // full pipe; the poll is also the pause between looks.
            if (out_ >= 0 || err_ >= 0) {
                Drain(false, std::chrono::milliseconds(5));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // What the child has written so far (all of it after Wait).
    const std::string& Out() {
        Drain(false);
        return outText_;
    }
    const std::string& Err() {
        Drain(false);
        return errText_;
    }

    // The complete lines of standard output not yet returned by an earlier
    // call, waiting at most `timeout` for the first of them.
    std::vector<std::string> Lines(std::chrono::milliseconds timeout = std::chrono::milliseconds(0)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        Drain(false);
        while (outText_.find('\n', linesTaken_) == std::string::npos && out_ >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left <= std::chrono::milliseconds(0)) break;
            Drain(false, left);
        }
        std::vector<std::string> lines;
        for (std::size_t cut; (cut = outText_.find('\n', linesTaken_)) != std::string::npos; linesTaken_ = cut + 1) {
            lines.push_back(outText_.substr(linesTaken_, cut - linesTaken_));
        }
        return lines;
    }

private:
    // Reads until both pipes are closed when `toEnd`; otherwise what is
    // there, waiting up to `first` for something to arrive.
    void Drain(bool toEnd, std::chrono::milliseconds first = std::chrono::milliseconds(0)) {
        int timeout = toEnd ? -1 : static_cast<int>(first.count());
        while (out_ >= 0 || err_ >= 0) {
            // poll passes over the ends already closed (negative numbers).
            pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
            if (poll(fds, 2, timeout) <= 0) return;
            for (int i = 0; i < 2; ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
                char buf[4096];
                const ssize_t n = read(fds[i].fd, buf, sizeof buf);
                if (n <= 0) {
                    close(fds[i].fd);
                    (i == 0 ? out_ : err_) = -1;
                } else {
                    (i == 0 ? outText_ : errText_).append(buf, static_cast<std::size_t>(n));
                }
            }
            if (!toEnd) timeout = 0;
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outText_;
    std::string errText_;
    std::size_t linesTaken_ = 0;
};

// What a program that ran to its end left: its exit code and its output.
struct ChildOutcome {
    int code;
    std::string out;
    std::string err;
};

inline ChildOutcome RunToEnd(const std::string& program, const std::vector<std::string>& args) {
    ChildProcess child(program, args);
    const int code = child.Wait();
    return {code, child.Out(), child.Err()};
}

}  // namespace korvalen::testsupport

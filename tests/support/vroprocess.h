// The vro program run as a user runs it, for the tests of its verbs:
// `vro simulate` in a child process, and one-shot verbs with their output.
// Both run under LC_ALL=C.UTF-8, which every machine has, so that numbers and
// dates come in the C locale's forms whatever the caller's locale.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace vro::test {

inline const std::string kVro = std::string(VRO_BINARY_DIR) + "/src/cli/vro";

// `vro simulate ARGS...` in a child process; its first output line is the port.
struct TSimulateProcess {
    pid_t pid = -1;
    std::string port;
    explicit TSimulateProcess(std::vector<std::string> args)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        args.insert(args.begin(), {kVro, "simulate"});
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid = ::fork();
        if (pid == 0) {
            ::setenv("LC_ALL", "C.UTF-8", 1);
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            ::execv(kVro.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            port += c;
        ::close(out[0]);
    }
    ~TSimulateProcess()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
    }
    TSimulateProcess(const TSimulateProcess&) = delete;
    TSimulateProcess& operator=(const TSimulateProcess&) = delete;
};

// Runs `vro ARGS` through the shell; its standard output (with standard
// error too when `withErrors`) and its exit status (-1 when it did not exit).
inline std::pair<std::string, int> RunVro(const std::string& args, bool withErrors = false)
{
    std::string out;
    FILE* p = ::popen(("LC_ALL=C.UTF-8 " + kVro + " " + args + (withErrors ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
    if (!p)
        return {"", -1};
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int status = ::pclose(p);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

} // namespace vro::test

#pragma once
// The real executable as a child process whose descriptors, limits and signals a test sets.

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace cli::test {

struct ChildOptions {
    std::string directory;     // the working directory
    int standardOutput = -1;   // a descriptor, or -1 for /dev/null
    std::string standardError; // a file, created or truncated
    std::optional<rlim_t> fileSizeLimit;
};

// Starts FACETOR_BIN with args; signals have their default actions in the child, as a shell
// gives them. Returns the child's id, or -1.
inline pid_t startFacetor(const std::vector<std::string>& args, const ChildOptions& options)
{
    std::vector<char*> argv{const_cast<char*>(FACETOR_BIN)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int s : {SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGPIPE, SIGXFSZ})
        ::signal(s, SIG_DFL);
    const int out = options.standardOutput >= 0 ? options.standardOutput : ::open("/dev/null", O_WRONLY);
    const int err = ::open(options.standardError.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0 || ::chdir(options.directory.c_str()) != 0)
        ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (options.fileSizeLimit) {
        const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execv(FACETOR_BIN, argv.data());
    ::_exit(127);
}

// The child's exit status, or 1000 + the signal that killed it.
inline int waitForExit(pid_t pid)
{
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0) {}
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
}

// The whole contents of a file, "" when it cannot be read.
inline std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace cli::test

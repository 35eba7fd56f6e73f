#include "Process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace kv::test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!extra.count(name)) env.push_back(entry);
    }
    for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (auto& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

// Child side of a fork: set up the descriptors and exec; never returns.
[[noreturn]] void ExecChild(std::vector<std::string> argv, std::vector<std::string> env, int outFd, int errFd,
                            std::optional<uid_t> runAs) {
    const int devNull = ::open("/dev/null", O_RDONLY);
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(outFd, STDOUT_FILENO);
    ::dup2(errFd, STDERR_FILENO);
    if (runAs && (::setgroups(0, nullptr) != 0 || ::setgid(*runAs) != 0 || ::setuid(*runAs) != 0)) ::_exit(126);
    auto args = Pointers(argv);
    auto envp = Pointers(env);
    ::execve(args[0], args.data(), envp.data());
    ::_exit(127);
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    ProcessResult result;
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    if (options.stderrOnTerminal) {
        // The terminal's master side is read like the pipe's; it reports EIO once the child is gone.
        ::close(errPipe[0]);
        ::close(errPipe[1]);
        errPipe[0] = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (errPipe[0] < 0 || ::grantpt(errPipe[0]) != 0 || ::unlockpt(errPipe[0]) != 0)
            throw std::runtime_error("pty");
        errPipe[1] = ::open(::ptsname(errPipe[0]), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (errPipe[1] < 0) throw std::runtime_error("pty slave");
    }
    auto env = MergedEnvironment(options.env);
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) ExecChild(argv, env, outPipe[1], errPipe[1], options.runAs);
    ::close(outPipe[1]);
    ::close(errPipe[1]);

    const auto deadline = start + options.limit;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

SimProcess::SimProcess(const std::string& folder, std::vector<std::string> extraArgs)
    : m_socket(folder + "/box.sock"), m_log(folder + "/box.log") {
    std::vector<std::string> argv{KV_SIM_PATH, "--listen", m_socket, "--log", m_log};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    int errPipe[2];
    if (::pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    auto env = MergedEnvironment({});
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    m_pid = ::fork();
    if (m_pid < 0) throw std::runtime_error("fork");
    if (m_pid == 0) ExecChild(argv, env, devNull, errPipe[1], std::nullopt);
    ::close(devNull);
    ::close(errPipe[1]);
    // It announces itself once it listens; wait for that line, not for the socket file,
    // which exists a moment before connections are taken.
    std::string said;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    pollfd p{errPipe[0], POLLIN, 0};
    while (Clock::now() < deadline && said.find("serving on") == std::string::npos) {
        if (::poll(&p, 1, 100) <= 0) continue;
        char buf[512];
        const ssize_t n = ::read(errPipe[0], buf, sizeof buf);
        if (n <= 0) break;
        said.append(buf, static_cast<std::size_t>(n));
    }
    m_ready = said.find("serving on") != std::string::npos;
    if (!m_ready) m_startError = said.empty() ? "kv4420-sim said nothing" : said;
    // Its later messages are not needed (the log holds the violations too); with our end
    // closed its writes fail quietly, as it ignores SIGPIPE, and it never blocks on them.
    ::close(errPipe[0]);
}

SimProcess::~SimProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
}

void SimProcess::Kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kv4420ctl-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    m_path = pattern;
    // Other users (the unreadable-file case runs the tool as nobody) must reach inside.
    ::chmod(m_path.c_str(), 0755);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

}  // namespace kv::test

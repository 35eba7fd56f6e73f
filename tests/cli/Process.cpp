#include "Process.h"

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace kv::test {
namespace {

using Clock = std::chrono::steady_clock;

QStringList Arguments(const std::vector<std::string>& argv) {
    QStringList args;
    for (std::size_t i = 1; i < argv.size(); ++i) args << QString::fromStdString(argv[i]);
    return args;
}

// The master side of a fresh pseudo-terminal, and its slave opened for the child.
struct Terminal {
    int master = -1;
    int slave = -1;
    Terminal() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) throw std::runtime_error("pty");
        slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0) throw std::runtime_error("pty slave");
    }
    ~Terminal() {
        CloseSlave();
        ::close(master);
    }
    void CloseSlave() {
        if (slave >= 0) ::close(slave);
        slave = -1;
    }
    // What the child wrote so far; once every slave is closed the master reports EIO.
    void Drain(std::string& into) const {
        char buf[4096];
        for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) into.append(buf, static_cast<std::size_t>(n));
    }
};

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    ProcessResult result;
    QProcess process;
    process.setProgram(QString::fromStdString(argv.at(0)));
    if (!options.workingDirectory.empty())
        process.setWorkingDirectory(QString::fromStdString(options.workingDirectory));
    process.setArguments(Arguments(argv));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : options.env)
        env.insert(QString::fromStdString(name), QString::fromStdString(value));
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());

    // QProcess has no pseudo-terminal and no change of user: both are done in the child
    // between fork and exec.
    std::unique_ptr<Terminal> terminal;
    if (options.stderrOnTerminal) terminal = std::make_unique<Terminal>();
    const int terminalFd = terminal ? terminal->slave : -1;
    const std::optional<uid_t> runAs = options.runAs;
    process.setChildProcessModifier([terminalFd, runAs] {
        if (terminalFd >= 0) ::dup2(terminalFd, STDERR_FILENO);
        if (runAs && (::setgroups(0, nullptr) != 0 || ::setgid(*runAs) != 0 || ::setuid(*runAs) != 0)) ::_exit(126);
    });

    const auto start = Clock::now();
    process.start();
    if (!process.waitForStarted()) {
        result.exitCode = 127;  // as a shell reports a program it cannot run
        result.err = process.errorString().toStdString();
        return result;
    }
    if (terminal) terminal->CloseSlave();
    const auto deadline = start + options.limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            result.timedOut = true;
            process.kill();
            process.waitForFinished();
            break;
        }
        // A terminal is read while the child runs: it holds only a few kilobytes.
        if (process.waitForFinished(terminal ? static_cast<int>(std::min<long long>(left, 20))
                                             : static_cast<int>(left)))
            break;
        if (process.state() == QProcess::NotRunning) break;
        if (terminal) terminal->Drain(result.err);
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    result.out = process.readAllStandardOutput().toStdString();
    if (terminal)
        terminal->Drain(result.err);
    else
        result.err = process.readAllStandardError().toStdString();
    if (process.exitStatus() == QProcess::NormalExit && !result.timedOut)
        result.exitCode = process.exitCode();
    else
        result.signal = process.exitCode();  // on Unix the signal that ended it
    return result;
}

SimProcess::SimProcess(const std::string& folder, std::vector<std::string> extraArgs)
    : m_socket(folder + "/box.sock"), m_log(folder + "/box.log"), m_process(std::make_unique<QProcess>()) {
    std::vector<std::string> argv{KV_SIM_PATH, "--listen", m_socket, "--log", m_log};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    // Its standard error goes to a file: it says when it listens, and a pipe nobody
    // reads any more could fill with its later messages and stop it.
    const std::string said = folder + "/box.err";
    m_process->setProgram(KV_SIM_PATH);
    m_process->setArguments(Arguments(argv));
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QString::fromStdString(said));
    m_process->start();
    if (!m_process->waitForStarted()) {
        m_startError = "cannot start kv4420-sim: " + m_process->errorString().toStdString();
        return;
    }
    // Wait for that line, not for the socket file, which exists a moment before
    // connections are taken.
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    std::string text;
    while (Clock::now() < deadline) {
        std::ifstream in(said);
        text.assign(std::istreambuf_iterator<char>(in), {});
        m_ready = text.find("serving on") != std::string::npos;
        if (m_ready || m_process->waitForFinished(20)) break;
    }
    if (!m_ready) m_startError = text.empty() ? "kv4420-sim said nothing" : text;
}

SimProcess::~SimProcess() {
    if (m_process->state() == QProcess::NotRunning) return;
    m_process->terminate();
    if (!m_process->waitForFinished(10000)) Kill();
}

void SimProcess::Kill() {
    if (m_process->state() == QProcess::NotRunning) return;
    m_process->kill();
    m_process->waitForFinished();
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

#include "net/CommandClient.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "net/CommandSocket.h"

namespace kv::net {
namespace {

// A mode load reads the whole box back; far longer than that is a server that hangs.
constexpr int kAnswerWaitSeconds = 120;

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Only a folder and a socket of this user, closed to others, are talked to.
bool Trusted(const std::string& path) {
    struct stat socket {};
    if (!CommandFolderProblem(CommandFolder()).empty()) return false;
    return ::lstat(path.c_str(), &socket) == 0 && S_ISSOCK(socket.st_mode) && socket.st_uid == ::geteuid();
}

// A connection to the server that takes the commands for the box, or -1 when none does: a
// socket left behind by a server that ended refuses, and the box is free.
Fd ConnectToServer(const std::string& uri) {
    const std::string path = CommandSocketPath(uri);
    return Fd(!path.empty() && Trusted(path) ? ConnectToSocket(path) : -1);
}

}  // namespace

bool TakenThroughServer(const cli::CommandLine& line) {
    using cli::CommandKind;
    switch (line.command) {
        case CommandKind::Info:
        case CommandKind::Dump:
        case CommandKind::ModeLoad:
        case CommandKind::ModeSave:
        case CommandKind::ModeReset:
        case CommandKind::Get:
        case CommandKind::Set:
        case CommandKind::EqExport:
        case CommandKind::EqImport:
        case CommandKind::EqResponse:
        case CommandKind::Align:
            return true;
        default:
            return false;
    }
}

std::optional<int> RunThroughServer(const std::vector<std::string>& args, const cli::CommandLine& line,
                                    std::ostream& out, std::ostream& err) {
    if (!TakenThroughServer(line)) return std::nullopt;
    Fd fd = ConnectToServer(line.device.ToString());
    if (fd.Get() < 0) return std::nullopt;
    if (line.direct) {
        // Said first: a box held by a server may not answer a second user, and the wait is long.
        err << "kv4420ctl: a running server holds " << line.device.ToString()
            << "; --direct opens the box beside it, and the box may not answer" << std::endl;
        return std::nullopt;
    }
    const timeval wait{kAnswerWaitSeconds, 0};
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);

    std::array<char, PATH_MAX> cwd{};
    std::vector<std::string> request{kCommandMagic, ::getcwd(cwd.data(), cwd.size()) ? cwd.data() : "/"};
    request.insert(request.end(), args.begin(), args.end());
    auto failed = [&](const std::string& what) {
        err << "kv4420ctl: the server that holds " << line.device.ToString() << " " << what << std::endl;
        return cli::exitcode::kNoBox;
    };
    if (!WriteAll(fd.Get(), EncodeStrings(request))) return failed("did not take the command");

    std::string answer;
    std::array<char, 65536> chunk{};
    bool bad = false;
    std::optional<std::vector<std::string>> decoded;
    while (!(decoded = DecodeStrings(answer, kMaxAnswerBytes, bad)) && !bad) {
        const ssize_t n = ::recv(fd.Get(), chunk.data(), chunk.size(), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return failed("did not answer in time");
        if (n <= 0) return failed("ended before it answered");
        answer.append(chunk.data(), static_cast<std::size_t>(n));
    }
    if (bad || decoded->size() != 3) return failed("answered something this kv4420ctl does not read");
    const int code = std::atoi((*decoded)[0].c_str());
    out << (*decoded)[1];
    out.flush();
    err << (*decoded)[2];
    err.flush();
    if (!out) {
        err << "kv4420ctl: cannot write the output" << std::endl;
        return cli::exitcode::kFile;
    }
    return code;
}

}  // namespace kv::net

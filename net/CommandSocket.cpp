#include "net/CommandSocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kv::net {
namespace {

constexpr int kDigestHexChars = 32;

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(const std::string& in, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t{static_cast<unsigned char>(in[at + i])} << (8 * i);
    return v;
}

}  // namespace

std::string CommandFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return {};
    return std::string(runtime) + "/kv4420";
}

std::string CommandSocketPath(const std::string& uri) {
    const std::string folder = CommandFolder();
    if (folder.empty()) return {};
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(uri), QCryptographicHash::Sha256).toHex();
    return folder + "/" + digest.left(kDigestHexChars).toStdString() + ".sock";
}

bool PrepareCommandFolder(std::string& error) {
    const std::string folder = CommandFolder();
    if (folder.empty()) {
        error = "XDG_RUNTIME_DIR is not set";
        return false;
    }
    if (::mkdir(folder.c_str(), S_IRWXU) != 0 && errno != EEXIST) {
        error = "cannot create " + folder + ": " + std::strerror(errno);
        return false;
    }
    error = CommandFolderProblem(folder);
    return error.empty();
}

std::string CommandFolderProblem(const std::string& folder) {
    struct stat st {};
    // lstat: a link put there by someone else is not followed.
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return folder + " is not a folder";
    if (st.st_uid != ::geteuid() || (st.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return folder + " must belong to this user and be closed to others (mode 0700)";
    return {};
}

int ConnectToSocket(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    return -1;
}

std::string EncodeStrings(const std::vector<std::string>& strings) {
    std::string out;
    PutU32(out, static_cast<std::uint32_t>(strings.size()));
    for (const std::string& s : strings) {
        PutU32(out, static_cast<std::uint32_t>(s.size()));
        out += s;
    }
    return out;
}

std::optional<std::vector<std::string>> DecodeStrings(const std::string& bytes, std::size_t limit, bool& bad) {
    bad = bytes.size() > limit;
    if (bad || bytes.size() < 4) return std::nullopt;
    const std::uint32_t count = GetU32(bytes, 0);
    // Every string takes at least its length word.
    if (count > (limit - 4) / 4) {
        bad = true;
        return std::nullopt;
    }
    std::vector<std::string> out;
    std::size_t at = 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (bytes.size() < at + 4) return std::nullopt;
        const std::uint32_t n = GetU32(bytes, at);
        at += 4;
        if (n > limit) {
            bad = true;
            return std::nullopt;
        }
        if (bytes.size() < at + n) return std::nullopt;
        out.push_back(bytes.substr(at, n));
        at += n;
    }
    if (at != bytes.size()) {
        bad = true;
        return std::nullopt;
    }
    return out;
}

}  // namespace kv::net

#include "cli/FileChecks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kv::cli {
namespace {

std::string Reason(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read " + path + ": " + Reason(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        error = "cannot read " + path + ": " + Reason(EISDIR);
        return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = "cannot read " + path + ": " + Reason(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    out = std::move(bytes);
    return true;
}

bool CheckWritableTarget(const std::string& path, std::string& error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = "cannot write " + path + ": " + Reason(EISDIR);
        return false;
    }
    const std::string folder = FolderOf(path);
    std::string probe = folder + "/.kv4420ctl-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        error = "cannot write " + path + ": " + Reason(errno);
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

}  // namespace kv::cli

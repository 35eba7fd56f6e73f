#include "cli/FileChecks.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "model/AtomicFile.h"

namespace kv::cli {
namespace {

std::string Reason(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Reads fd until its end, maxBytes + 1 bytes or the deadline; the caller judges the length.
bool ReadStream(int fd, const std::string& name, std::size_t maxBytes, std::vector<std::uint8_t>& out,
                std::string& error, int waitMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    out.clear();
    std::uint8_t buffer[4096];
    while (out.size() <= maxBytes) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        const int ready = left > 0 ? ::poll(&p, 1, static_cast<int>(left)) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            error = "cannot read " + name + ": " + Reason(errno);
            return false;
        }
        if (ready == 0) {
            error = "cannot read " + name + ": it did not end within " + std::to_string(waitMs) + " ms (" +
                    std::to_string(out.size()) + " bytes arrived)";
            return false;
        }
        const std::size_t want = std::min(sizeof buffer, maxBytes + 1 - out.size());
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n < 0) {
            error = "cannot read " + name + ": " + Reason(errno);
            return false;
        }
        if (n == 0) break;  // the writer closed it
        out.insert(out.end(), buffer, buffer + n);
    }
    return true;
}

bool JudgeLength(const std::string& name, std::size_t maxBytes, const std::vector<std::uint8_t>& out,
                 std::string& error, bool ignoreTail) {
    if (out.size() <= maxBytes || ignoreTail) return true;
    error = name + " is too long (more than " + std::to_string(maxBytes) + " bytes)";
    return false;
}

}  // namespace

bool ReadInput(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out, std::string& error,
               bool ignoreTail, int waitMs) {
    if (path == "-") {
        const std::string name = "standard input";
        struct stat st {};
        if (::fstat(STDIN_FILENO, &st) != 0) {
            error = "cannot read " + name + ": " + Reason(errno);
            return false;
        }
        if (::isatty(STDIN_FILENO) == 1) {
            error = "cannot read " + name + ": it is a terminal; redirect a file or a pipe into it";
            return false;
        }
        if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode) && !S_ISSOCK(st.st_mode)) {
            error = "cannot read " + name + ": not a regular file or a pipe";
            return false;
        }
        return ReadStream(STDIN_FILENO, name, maxBytes, out, error, waitMs) &&
               JudgeLength(name, maxBytes, out, error, ignoreTail);
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode))
        return ReadWholeFile(path, maxBytes, out, error, ignoreTail);
    // Non-blocking, so that a pipe nobody writes into yet is waited for by poll, in bounds.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = "cannot read " + path + ": " + Reason(errno);
        return false;
    }
    const bool read = ReadStream(fd, path, maxBytes, out, error, waitMs);
    ::close(fd);
    return read && JudgeLength(path, maxBytes, out, error, ignoreTail);
}

bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out, std::string& error,
                   bool ignoreTail) {
    int systemError = 0;
    switch (kv::ReadWholeFile(path, maxBytes, out, &systemError)) {
        case FileRead::Ok:
            return true;
        case FileRead::TooLong:
            if (ignoreTail) return true;
            error = path + " is too long (more than " + std::to_string(maxBytes) + " bytes)";
            break;
        case FileRead::CannotOpen:
            error = "cannot read " + path + ": " + Reason(systemError);
            break;
        case FileRead::NotRegularFile:
            error =
                "cannot read " + path + ": " + (systemError ? Reason(systemError) : std::string("not a regular file"));
            break;
    }
    return false;
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

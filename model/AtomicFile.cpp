#include "model/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

namespace kv {
namespace {

void SetError(int* systemError, int value) {
    if (systemError) *systemError = value;
}

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out,
                       int* systemError) {
    SetError(systemError, 0);
    // Non-blocking, so that opening a FIFO without a writer returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        SetError(systemError, errno);
        return FileRead::CannotOpen;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) SetError(systemError, EISDIR);
        ::close(fd);
        return FileRead::NotRegularFile;
    }
    out.clear();
    std::uint8_t buffer[4096];
    while (out.size() <= maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes + 1 - out.size());
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(systemError, errno);
            ::close(fd);
            return FileRead::CannotOpen;
        }
        if (n == 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    ::close(fd);
    return out.size() > maxBytes ? FileRead::TooLong : FileRead::Ok;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, int* systemError) {
    static std::atomic<unsigned> counter{0};
    // Same directory as the target, so the rename never crosses file systems.
    const std::string temp = path + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(counter++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetError(systemError, errno);
        return false;
    }
    // The new file takes the old one's place by a rename: it keeps the old one's permissions.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(fd, old.st_mode & 07777);
    std::size_t done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temp.c_str());
        SetError(systemError, error);
        return false;
    }
    SetError(systemError, 0);
    return true;
}

}  // namespace kv

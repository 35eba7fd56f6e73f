#include "model/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace kv {
namespace {

void SetError(int* systemError, int value) {
    if (systemError) *systemError = value;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, int* systemError) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(systemError, errno);
        return false;
    }
    out.clear();
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(systemError, errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    ::close(fd);
    SetError(systemError, 0);
    return true;
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

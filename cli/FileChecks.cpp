#include "cli/FileChecks.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

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

#include "net/Token.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kv::net {
namespace {

constexpr int kTokenBytes = 16;
// A hand-written token may be longer; anything shorter than the generated one is too weak.
constexpr int kMinTokenChars = 2 * kTokenBytes;
constexpr int kMaxTokenChars = 256;

}  // namespace

QString DefaultTokenPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) base = QDir::homePath() + "/.config";
    return base + "/kv4420/token";
}

QByteArray LoadOrCreateToken(const QString& path, QString& error) {
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            error = "cannot read the token file " + path + ": " + file.errorString();
            return {};
        }
        const QByteArray token = file.read(kMaxTokenChars + 2).trimmed();
        const bool printable =
            std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 127 && c != '"'; });
        if (token.size() < kMinTokenChars || token.size() > kMaxTokenChars || !printable) {
            error = "the token file " + path + " holds no usable token (" + QString::number(kMinTokenChars) + " to " +
                    QString::number(kMaxTokenChars) + " printable characters)";
            return {};
        }
        return token;
    }
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        error = "cannot create the folder " + info.absolutePath();
        return {};
    }
    quint32 words[kTokenBytes / 4];
    QRandomGenerator::system()->fillRange(words);
    const QByteArray token = QByteArray(reinterpret_cast<const char*>(words), kTokenBytes).toHex();
    // Created with its final mode: the token is never readable by others, not even briefly.
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        error = "cannot write the token file " + path + ": " + QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }
    const QByteArray line = token + "\n";
    const bool written = ::write(fd, line.constData(), static_cast<size_t>(line.size())) == line.size();
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(native.constData());
        error = "cannot write the token file " + path;
        return {};
    }
    return token;
}

bool TokensEqual(const QByteArray& given, const QByteArray& expected) {
    // Every byte of the expected token is looked at, whatever the guess.
    unsigned diff = given.size() == expected.size() ? 0u : 1u;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const char g = i < given.size() ? given[i] : '\0';
        diff |= static_cast<unsigned char>(g ^ expected[i]);
    }
    return diff == 0 && !expected.isEmpty();
}

}  // namespace kv::net

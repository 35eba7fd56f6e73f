#pragma once
// The server's access token: 128 random bits as 32 hexadecimal digits, kept in a file only
// its user may read.

#include <QByteArray>
#include <QString>

namespace kv::net {

// $XDG_CONFIG_HOME/kv4420/token (~/.config/kv4420/token when unset).
QString DefaultTokenPath();
// The token in path; a new one is written there (mode 0600) when the file does not exist.
// An empty result with the reason in error when the file cannot be read or written, or
// holds no usable token.
QByteArray LoadOrCreateToken(const QString& path, QString& error);
// Compares in time that depends on the lengths only, so the time of an answer tells
// nothing about how much of a guess was right.
bool TokensEqual(const QByteArray& given, const QByteArray& expected);

}  // namespace kv::net

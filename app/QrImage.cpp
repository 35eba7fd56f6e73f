#include "app/QrImage.h"

#include <qrencode.h>

#include <memory>

namespace kv {
namespace {

constexpr int kQuietModules = 4;  // the margin readers expect

}  // namespace

QImage QrModules(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    // Version 0: the smallest that holds the text; medium error correction survives a glare.
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code) return {};
    const int n = code->width;
    QImage image(n + 2 * kQuietModules, n + 2 * kQuietModules, QImage::Format_Mono);
    image.fill(1);
    image.setColor(0, qRgb(0, 0, 0));
    image.setColor(1, qRgb(255, 255, 255));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (code->data[y * n + x] & 1) image.setPixel(x + kQuietModules, y + kQuietModules, 0);
    return image;
}

QImage QrImage(const QString& text, int scale) {
    const QImage modules = QrModules(text);
    if (modules.isNull()) return {};
    return modules.scaled(modules.width() * scale, modules.height() * scale, Qt::IgnoreAspectRatio,
                          Qt::FastTransformation);
}

}  // namespace kv

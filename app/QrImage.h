#pragma once
// A QR code of a text as an image: black modules on white with the quiet zone around.

#include <QImage>
#include <QString>

namespace kv {

// Each module `scale` pixels wide; a null image when the text cannot be encoded.
QImage QrImage(const QString& text, int scale);
// The modules, one pixel each, quiet zone included (for checks and scaling).
QImage QrModules(const QString& text);

}  // namespace kv

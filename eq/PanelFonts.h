#pragma once

#include <QFont>
#include <QStringList>

namespace kv::eq {

// The panels ask for the faces the box's editor was designed with and list
// fallbacks so that fontconfig finds Chinese glyphs on any desktop.
QFont SongFont(int pixelSize);      // "宋体"
QFont HeiFont(int pixelSize);       // "黑体"
QFont ArialFont(double pointSize);  // points at 96 dpi, turned into pixels
// The font made smaller, a pixel at a time, until every text fits in width (never below 6 px).
QFont FittingFont(QFont font, const QStringList& texts, int width);

}  // namespace kv::eq

#include "eq/PanelFonts.h"

#include <QStringList>
#include <cmath>

namespace kv::eq {
namespace {

QFont MakeFont(const QStringList& families, int pixelSize) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(std::max(1, pixelSize));
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

const QStringList& CjkFallbacks() {
    static const QStringList list = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback", "DejaVu Sans"};
    return list;
}

}  // namespace

QFont SongFont(int pixelSize) {
    return MakeFont(QStringList{QStringLiteral("宋体"), QStringLiteral("SimSun")} + CjkFallbacks(), pixelSize);
}

QFont HeiFont(int pixelSize) {
    return MakeFont(QStringList{QStringLiteral("黑体"), QStringLiteral("SimHei")} + CjkFallbacks(), pixelSize);
}

QFont ArialFont(double pointSize) {
    return MakeFont({"Arial", "Liberation Sans", "DejaVu Sans"},
                    static_cast<int>(std::lround(pointSize * 96.0 / 72.0)));
}

}  // namespace kv::eq

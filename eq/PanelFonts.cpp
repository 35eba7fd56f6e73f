#include "eq/PanelFonts.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
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

QFont FittingFont(QFont font, const QStringList& texts, int width) {
    const auto widest = [&texts](const QFont& f) {
        const QFontMetrics m(f);
        int w = 0;
        for (const QString& t : texts) w = std::max(w, m.horizontalAdvance(t));
        return w;
    };
    while (font.pixelSize() > 6 && widest(font) > width) font.setPixelSize(font.pixelSize() - 1);
    return font;
}

}  // namespace kv::eq

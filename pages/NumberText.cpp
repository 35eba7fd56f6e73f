#include "pages/NumberText.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace kv {

double LeadingNumber(const QString& text) {
    static const QRegularExpression kNumber(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?)"));
    const auto m = kNumber.match(text);
    if (!m.hasMatch()) return 0.0;
    const double v = m.captured(1).toDouble();
    return std::isfinite(v) ? v : 0.0;
}

int RoundedPosition(double v) { return std::isfinite(v) ? static_cast<int>(std::lround(std::clamp(v, -1e6, 1e6))) : 0; }

}  // namespace kv

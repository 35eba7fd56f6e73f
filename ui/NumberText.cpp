#include "ui/NumberText.h"

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

}  // namespace kv

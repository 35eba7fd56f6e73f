#include "ui/SettingTip.h"

#include <QWidget>
#include <cmath>

#include "device/SettingTable.h"
#include "ui/UiText.h"

namespace kv {
namespace {

constexpr const char* kTipProperty = "kvSettingTip";
constexpr int kLongestChoiceList = 12;  // longer lists are shown by their ends

QString Value(const Setting& s, double v) { return QString::fromStdString(FormatSetting(s, v)); }

QString ChineseChoice(const std::string& choice) {
    if (choice == "on") return QStringLiteral("开");
    if (choice == "off") return QStringLiteral("关");
    if (choice == "none") return QStringLiteral("无效");
    return QString::fromStdString(choice);
}

// The range as SettingRange words it in English, in Chinese.
QString ChineseRange(const Setting& s) {
    if (s.unit == SettingUnit::Switch) return QStringLiteral("开或关");
    if (s.unit == SettingUnit::Choice) {
        const int first = static_cast<int>(std::lround(s.minimum));
        const int last = static_cast<int>(std::lround(s.maximum));
        const auto at = [&](int i) { return ChineseChoice(s.choices[static_cast<std::size_t>(i)]); };
        if (last - first + 1 > kLongestChoiceList)
            return QStringLiteral("%1 .. %2 或 %3").arg(at(first), at(last - 1), at(last));
        QStringList names;
        for (int i = first; i <= last; ++i) names << at(i);
        return QStringLiteral("可选：") + names.join(QStringLiteral("、"));
    }
    QString text = Value(s, s.minimum) + QStringLiteral(" .. ") + Value(s, s.maximum);
    if (std::fabs(s.step - std::pow(10.0, -s.decimals)) > 1e-9) text += QStringLiteral("，步进 ") + Value(s, s.step);
    return text;
}

}  // namespace

QString SettingTip(const Setting& s, int language) {
    if (language == kLanguageEnglish) {
        QString what = QString::fromStdString(s.description);
        if (!what.isEmpty()) what[0] = what[0].toUpper();
        const QString range = QStringLiteral("Range: ") + QString::fromStdString(SettingRange(s));
        return what.isEmpty() ? range : what + QLatin1Char('\n') + range;
    }
    const QString what = QString::fromStdString(s.descriptionZh);
    const QString range = QStringLiteral("范围：") + ChineseRange(s);
    return what.isEmpty() ? range : what + QLatin1Char('\n') + range;
}

void SetSettingTip(QWidget* control, const QString& tip) {
    if (!control) return;
    control->setProperty(kTipProperty, tip);
    control->setToolTip(tip);
}

QString SettingTipOf(const QWidget* control) {
    return control ? control->property(kTipProperty).toString() : QString();
}

}  // namespace kv

#pragma once
// Helpers every window shares: the (Chinese, English) pair picked by the language index,
// and the control identifier that the language tables key their texts on.

#include <QString>
#include <QVariant>
#include <QWidget>

namespace kv {

constexpr int kLanguageChinese = 0;
constexpr int kLanguageEnglish = 1;

// Index 1 is English; every other index falls back to Chinese, the default.
inline QString Bi(int language, const char* chinese, const char* english) {
    return QString::fromUtf8(language == kLanguageEnglish ? english : chinese);
}

inline constexpr const char* kControlIdProperty = "kvControlId";

inline void SetControlId(QWidget* widget, int id) { widget->setProperty(kControlIdProperty, id); }

template <class W>
W* WithId(W* widget, int id) {
    SetControlId(widget, id);
    return widget;
}

// 0 when the widget carries no identifier.
inline int ControlId(const QWidget* widget) { return widget->property(kControlIdProperty).toInt(); }

}  // namespace kv

#pragma once
// The tooltip of a control bound to a setting: what it moves, its range and unit, in the
// interface's language. Made once here from the setting, for every page and window.

#include <QString>

class QWidget;

namespace kv {

struct Setting;

QString SettingTip(const Setting& setting, int language);
// Puts the tip on a control and keeps it as the text the control returns to once a refusal
// shown there is cleared.
void SetSettingTip(QWidget* control, const QString& tip);
// The setting's tip a control was given, if any.
QString SettingTipOf(const QWidget* control);

}  // namespace kv

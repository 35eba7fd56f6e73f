#include "ui/NumberText.h"

#include <QWidget>
#include <QtGlobal>

#include "ui/PageContext.h"
#include "ui/SettingTip.h"
#include "ui/UiLog.h"
#include "ui/UiText.h"

namespace kv {

const Setting& SettingAt(std::string_view address) {
    if (const Setting* s = FindSetting(address)) return *s;
#ifndef NDEBUG
    qFatal("no setting \"%.*s\"", static_cast<int>(address.size()), address.data());
#endif
    qCCritical(lcKvUi, "no setting \"%.*s\"; its box takes nothing", static_cast<int>(address.size()), address.data());
    // A choice without choices: every text is refused, nothing is sent.
    static const Setting kNone = [] {
        Setting s;
        s.unit = SettingUnit::Choice;
        s.rangeNote = "nothing";
        return s;
    }();
    return kNone;
}

BoxValue ReadBox(const Setting& s, const QString& text, int language) {
    const TypedValue v = ReadTyped(s, text.toStdString(), TypedMode::Box);
    BoxValue b;
    b.value = v.value;
    b.typed = v.typed;
    if (!v)
        b.reason = QString::fromStdString(
            RefusalText(v.refusal, language == kLanguageEnglish ? TypedLanguage::English : TypedLanguage::Chinese));
    return b;
}

void ShowRefused(PageContext& context, QWidget* field, const QString& text, const QString& reason) {
    if (field) field->setToolTip(reason);
    context.Notice(QStringLiteral("\u201C%1\u201D: %2").arg(text.trimmed(), reason));
}

void ClearRefused(QWidget* field) {
    if (field) field->setToolTip(SettingTipOf(field));
}

}  // namespace kv

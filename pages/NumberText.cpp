#include "pages/NumberText.h"

#include <QWidget>
#include <QtGlobal>

#include "dialogs/UiText.h"
#include "pages/PageContext.h"

namespace kv {

const Setting& SettingAt(std::string_view address) {
    const Setting* s = FindSetting(address);
    if (!s) qFatal("no setting \"%.*s\"", static_cast<int>(address.size()), address.data());
    return *s;
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
    if (field) field->setToolTip(QString());
}

}  // namespace kv

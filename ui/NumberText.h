#pragma once
// Texts typed into the pages' edit boxes and list cells, read through the setting model's
// one reader (device/TypedValue): the value as the box applies it, or the reason it is
// refused in the interface's language, shown on the field and in the page's notice.

#include <QString>
#include <optional>
#include <string_view>

#include "device/TypedValue.h"
#include "model/Rounding.h"

class QWidget;

namespace kv {

class PageContext;

struct BoxValue {
    std::optional<double> value;  // clamped to the range and rounded to the step
    double typed = 0;             // as typed, before clamping
    QString reason;               // why it is refused, when it is
    explicit operator bool() const { return value.has_value(); }
};

// The setting of an address the table must know: a page naming an unknown one is a fault
// that stops a debug build; otherwise it is logged and every text for it is refused.
const Setting& SettingAt(std::string_view address);

BoxValue ReadBox(const Setting& s, const QString& text, int language);

// A refused value: the reason on the field's tooltip and in the page's notice.
void ShowRefused(PageContext& context, QWidget* field, const QString& text, const QString& reason);
// An applied value: the field says nothing more than its setting's tip.
void ClearRefused(QWidget* field);

}  // namespace kv

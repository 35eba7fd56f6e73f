#pragma once
// Every message box, question and file dialog of the program goes through this interface,
// so that the flows behind them can be driven without a modal loop.

#include <QString>

class QWidget;

namespace kv {

class UiPrompts {
public:
    enum class Answer { Yes, No, Cancel };
    enum class Icon { Information, Warning, Error };

    virtual ~UiPrompts() = default;
    // A yes/no question, or yes/no/cancel when withCancel is set.
    virtual Answer Ask(QWidget* parent, const QString& caption, const QString& text, bool withCancel) = 0;
    // A yes/no question before something that cannot be undone (a reset, a load over changes):
    // No is the default and the escape answer, and neither Enter nor Space says Yes.
    virtual Answer AskDestructive(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A message box with an OK button; returns when it was closed.
    virtual void Message(QWidget* parent, const QString& caption, const QString& text, Icon icon) = 0;
    // Empty when the dialog was cancelled. Filters use Qt's "Text (*.a *.b)" form; the
    // dialog starts in directory.
    virtual QString OpenFile(QWidget* parent, const QString& filter, const QString& directory) = 0;
    virtual QString SaveFile(QWidget* parent, const QString& defaultName, const QString& defaultSuffix,
                             const QString& filter, const QString& directory) = 0;
};

}  // namespace kv

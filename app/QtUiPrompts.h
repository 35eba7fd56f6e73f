#pragma once
// The prompts of the running program: real message boxes and file dialogs. The file
// dialogs are Qt's own, so that they speak the program's language, not the desktop's.

#include <memory>

#include "app/UiPrompts.h"

class QMessageBox;

namespace kv {

class QtUiPrompts : public UiPrompts {
public:
    Answer Ask(QWidget* parent, const QString& caption, const QString& text, bool withCancel) override;
    Answer AskDestructive(QWidget* parent, const QString& caption, const QString& text) override;
    // The box AskDestructive runs, built but not shown.
    static std::unique_ptr<QMessageBox> DestructiveBox(QWidget* parent, const QString& caption, const QString& text);
    void Message(QWidget* parent, const QString& caption, const QString& text, Icon icon) override;
    QString OpenFile(QWidget* parent, const QString& filter, const QString& directory) override;
    QString SaveFile(QWidget* parent, const QString& defaultName, const QString& defaultSuffix, const QString& filter,
                     const QString& directory) override;
};

}  // namespace kv

#pragma once
// What the auxiliary windows need of the application beyond what a page needs: message
// boxes, file dialogs, the main window to centre over, and the read-back that follows a
// reset of a user mode. Tests give the windows a small one over the simulated box.

#include <QString>

#include "ui/PageContext.h"

class QWidget;

namespace kv {

class AuxContext : public PageContext {
public:
    enum class Icon { Information, Warning };

    virtual void Message(const QString& caption, const QString& text, Icon icon) = 0;
    virtual bool AskYes(const QString& caption, const QString& text) = 0;
    // Empty when cancelled. Filters use Qt's "Text (*.a)" form.
    virtual QString OpenFile(const QString& filter) = 0;
    // Asks before overwriting the file chosen in the dialog; empty when cancelled.
    virtual QString SaveFile(const QString& defaultSuffix, const QString& filter) = 0;
    // Starts the read-back of the whole box and runs its progress dialog.
    virtual void ReadBack() = 0;
    virtual QWidget* MainWindow() = 0;
};

}  // namespace kv

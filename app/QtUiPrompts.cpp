#include "app/QtUiPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace kv {

UiPrompts::Answer QtUiPrompts::Ask(QWidget* parent, const QString& caption, const QString& text, bool withCancel) {
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, caption, text, buttons, parent);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return withCancel ? Answer::Cancel : Answer::No;
    }
}

void QtUiPrompts::Message(QWidget* parent, const QString& caption, const QString& text, Icon icon) {
    QMessageBox::Icon qicon = QMessageBox::Information;
    if (icon == Icon::Warning) qicon = QMessageBox::Warning;
    if (icon == Icon::Error) qicon = QMessageBox::Critical;
    QMessageBox box(qicon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QString QtUiPrompts::OpenFile(QWidget* parent, const QString& filter, const QString& directory) {
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString QtUiPrompts::SaveFile(QWidget* parent, const QString& defaultName, const QString& defaultSuffix,
                              const QString& filter, const QString& directory) {
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace kv

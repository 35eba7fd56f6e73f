#include "app/QtUiPrompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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

std::unique_ptr<QMessageBox> QtUiPrompts::DestructiveBox(QWidget* parent, const QString& caption, const QString& text) {
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    QAbstractButton* yes = box->button(QMessageBox::Yes);
    QAbstractButton* no = box->button(QMessageBox::No);
    // Enter presses the default button and Space the focused one: both are No. Yes takes no
    // keyboard focus at all, so only a deliberate click (or its Alt shortcut) says Yes.
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(no);
    yes->setFocusPolicy(Qt::NoFocus);
    if (auto* noButton = qobject_cast<QPushButton*>(no)) noButton->setAutoDefault(true);
    if (auto* yesButton = qobject_cast<QPushButton*>(yes)) yesButton->setAutoDefault(false);
    no->setFocus();
    return box;
}

UiPrompts::Answer QtUiPrompts::AskDestructive(QWidget* parent, const QString& caption, const QString& text) {
    const auto box = DestructiveBox(parent, caption, text);
    box->exec();
    return box->clickedButton() == box->button(QMessageBox::Yes) ? Answer::Yes : Answer::No;
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

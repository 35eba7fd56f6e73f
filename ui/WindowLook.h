#pragma once
// What the small windows share: their light background and, for the modeless ones, a
// life that ends when they close.

#include <QColor>
#include <QDialog>
#include <QPalette>

namespace kv {

inline const QColor kWindowBackground(240, 250, 255);

// Fills the window (and, with base, its edit fields) with the small windows' background.
inline void PaintWindowBackground(QWidget& window, bool base = false) {
    window.setAutoFillBackground(true);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, kWindowBackground);
    if (base) pal.setColor(QPalette::Base, kWindowBackground);
    window.setPalette(pal);
}

// Modeless, and deleted when closed; Escape ends a dialog without a close event on some Qt
// versions, so finishing deletes it too.
inline void MakeModeless(QDialog& dialog) {
    dialog.setAttribute(Qt::WA_DeleteOnClose);
    dialog.setModal(false);
    QObject::connect(&dialog, &QDialog::finished, &dialog, &QObject::deleteLater);
}

}  // namespace kv

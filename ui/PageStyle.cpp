#include "ui/PageStyle.h"

#include <QFrame>
#include <QPalette>
#include <QWidget>

namespace kv::style {

namespace {
QFont Family(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("SimHei"),
                   QStringLiteral("Tahoma")});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}
}  // namespace

QFont TextFont(int pixelSize) { return Family(pixelSize, false); }
QFont CaptionFont(int pixelSize) { return Family(pixelSize, true); }

void ApplyPageLook(QWidget* page) {
    QPalette p = page->palette();
    p.setColor(QPalette::Window, kPageBackground);
    p.setColor(QPalette::WindowText, kText);
    p.setColor(QPalette::Base, kListBackground);
    p.setColor(QPalette::AlternateBase, kPanelBackground);
    p.setColor(QPalette::Text, kText);
    p.setColor(QPalette::Button, kPanelBackground);
    p.setColor(QPalette::ButtonText, kText);
    p.setColor(QPalette::Highlight, QColor(60, 90, 120));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(95, 98, 104));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(95, 98, 104));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(95, 98, 104));
    page->setPalette(p);
    page->setAutoFillBackground(true);
    page->setFont(TextFont(12));
    page->setStyleSheet(QStringLiteral(
        "QFrame#section { background: rgb(28,30,33); border: 1px solid rgb(62,66,72); border-radius: 4px; }"
        "QLabel, QRadioButton, QCheckBox, QGroupBox { color: rgb(220,222,226); }"
        "QLabel:disabled, QRadioButton:disabled, QCheckBox:disabled { color: rgb(95,98,104); }"
        "QLabel[hint=\"true\"] { color: rgb(150,154,160); }"
        // The platform's indicator is drawn for light windows: on this background its empty
        // disc reads as chosen and its dot as empty, so the dark pages draw their own.
        "QRadioButton::indicator { width: 12px; height: 12px; border-radius: 7px;"
        " border: 1px solid rgb(150,154,160); background: rgb(20,20,20); }"
        "QRadioButton::indicator:checked { border-color: rgb(0,200,255); background: qradialgradient("
        "cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5, stop:0 rgb(0,200,255), stop:0.5 rgb(0,200,255),"
        " stop:0.6 rgb(20,20,20), stop:1 rgb(20,20,20)); }"
        "QRadioButton::indicator:disabled { border-color: rgb(70,74,80); }"
        "QRadioButton::indicator:checked:disabled { background: qradialgradient(cx:0.5, cy:0.5, radius:0.5,"
        " fx:0.5, fy:0.5, stop:0 rgb(95,98,104), stop:0.5 rgb(95,98,104), stop:0.6 rgb(20,20,20),"
        " stop:1 rgb(20,20,20)); }"
        "QGroupBox { border: 1px solid rgb(62,66,72); border-radius: 3px; margin-top: 8px; padding-top: 4px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 3px; color: rgb(0,200,255); }"
        "QLineEdit { background: rgb(20,20,20); color: rgb(255,200,0); border: 1px solid rgb(70,74,80);"
        " border-radius: 2px; padding: 1px 3px; }"
        "QLineEdit:disabled { color: rgb(95,98,104); }"));
}

QWidget* Section(QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setObjectName(QStringLiteral("section"));
    return f;
}

}  // namespace kv::style

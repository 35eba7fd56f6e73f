#include "dialogs/AutoFunctionDlg.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>

#include "dialogs/AuxContext.h"
#include "eq/CXBmpSlider.h"
#include "ui/UiText.h"
#include "ui/WindowLook.h"

namespace kv {

AutoFunctionDlg::AutoFunctionDlg(AuxContext& context, int dialogId, const Texts& texts, QWidget* parent)
    : QDialog(parent), m_context(context), m_dialogId(dialogId), m_texts(texts), m_host(context, *this, dialogId) {
    MakeModeless(*this);
    PaintWindowBackground(*this, true);

    m_switch = new QCheckBox(this);
    m_caption = new QLabel(this);
    m_slider = new CXBmpSlider(kSliderId, Qt::Horizontal, this);
    m_slider->SetBackground(kWindowBackground);
    m_slider->setMinimumWidth(240);
    m_value = new QLabel(this);
    m_value->setMinimumWidth(60);
    m_description = new QLabel(this);
    m_description->setWordWrap(true);
    SetControlId(m_switch, kSwitchId);
    SetControlId(m_caption, kCaptionId);
    SetControlId(m_value, kValueId);
    SetControlId(m_description, kDescriptionId);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_switch, 0, 0, 1, 3);
    grid->addWidget(m_caption, 1, 0);
    grid->addWidget(m_slider, 1, 1);
    grid->addWidget(m_value, 1, 2);
    grid->addWidget(m_description, 2, 0, 1, 3);
    resize(420, 150);
}

void AutoFunctionDlg::Bind(BindRow switchRow, BindRow sliderRow) {
    m_host.Bind().Add(std::move(switchRow), {m_switch});
    m_host.Bind().Add(std::move(sliderRow), {m_slider}, {m_value});
    connect(&m_host.Bind(), &Binder::issued, this, [this] {
        // Where the function is missing nothing was stored: show what is.
        if (!Available()) m_host.Reload(LabelUse::Refresh);
        UpdateEnables();
    });
    m_host.RouteWheel();
}

void AutoFunctionDlg::Refresh() {
    const int lang = m_context.Language();
    setWindowTitle(Bi(lang, m_texts.titleZh, m_texts.titleEn));
    m_switch->setText(Bi(lang, "启用", "ON"));
    m_caption->setText(Bi(lang, m_texts.captionZh, m_texts.captionEn));
    m_description->setText(Bi(lang, m_texts.descriptionZh, m_texts.descriptionEn));
    m_host.Relabel();
    m_host.Reload(LabelUse::Refresh);
    UpdateEnables();
    ApplyLock();
}

void AutoFunctionDlg::UpdateEnables() {
    const bool on = Available() && m_switch->isChecked();
    m_caption->setEnabled(on);
    m_value->setEnabled(on);
    m_slider->setEnabled(on);
    m_switch->setEnabled(Available());
    if (m_context.Locked()) ApplyLock();
}

void AutoFunctionDlg::ApplyLock() { m_host.ShowLocked(); }

void AutoFunctionDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    QDialog::keyPressEvent(event);
}

bool AutoFunctionDlg::event(QEvent* event) {
    if (event->type() == QEvent::WhatsThis || event->type() == QEvent::EnterWhatsThisMode) return true;
    return QDialog::event(event);
}

}  // namespace kv

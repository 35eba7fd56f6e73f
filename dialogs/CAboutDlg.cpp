#include "dialogs/CAboutDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "dialogs/AppIcon.h"
#include "ui/UiText.h"

namespace kv {

CAboutDlg::CAboutDlg(const AboutInfo& info, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About DSP-4420"));
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(48, 48));
    auto* version = new QLabel(QStringLiteral("v3.1.1"), this);
    auto* build = new QLabel(QStringLiteral("Build Date:2013-10-17"), this);

    m_mcu = new QLabel(this);
    m_dsp = new QLabel(this);
    m_module = new QLabel(QStringLiteral("Module:"), this);
    SetControlId(m_mcu, kMcuId);
    SetControlId(m_dsp, kDspId);
    SetControlId(m_module, kModuleId);
    if (info.connected) {
        m_mcu->setText(
            QString::asprintf("MCU Ver:%s CMD Ver:%02d", info.mcuVersion.toUtf8().constData(), info.commandSetVersion));
        m_dsp->setText(QStringLiteral("DSP Ver:%1").arg(info.dspVersion));
        m_module->setText(QStringLiteral("Module:%1").arg(info.model));
    }
    m_mcu->setVisible(info.connected);
    m_dsp->setVisible(info.connected);
    m_module->setVisible(false);

    m_peak = new QCheckBox(QStringLiteral("Peak"), this);
    SetControlId(m_peak, kPeakId);
    m_peak->setChecked(info.meterPoll);
    m_peak->setVisible(false);
    connect(m_peak, &QCheckBox::clicked, this, &CAboutDlg::meterPollToggled);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(version, 0, 1);
    grid->addWidget(build, 1, 1);
    grid->addWidget(m_mcu, 2, 1);
    grid->addWidget(m_dsp, 3, 1);
    grid->addWidget(m_module, 4, 1);
    grid->addWidget(m_peak, 5, 1);
    grid->addWidget(ok, 0, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(380);
}

void CAboutDlg::keyReleaseEvent(QKeyEvent* event) {
    const auto mods = event->modifiers();
    if (event->key() == Qt::Key_F11 && (mods & Qt::ControlModifier) && (mods & Qt::ShiftModifier)) {
        m_module->setVisible(true);
        m_peak->setVisible(true);
        event->accept();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

}  // namespace kv

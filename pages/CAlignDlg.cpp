#include "pages/CAlignDlg.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "pages/SpeakerPointNames.h"
#include "ui/NumberText.h"
#include "ui/PageContext.h"
#include "ui/WindowLook.h"
#include "ui/WindowParts.h"

namespace kv {

namespace {

// The speakers in the proposal's order follow the listener among the page's points.
static_assert(eq::kAlignedSpeakers + 1 == kSpeakerPointNameCount);

constexpr const char* kHeads[CAlignDlg::kColumns][2] = {{"扬声器", "Speaker"},
                                                        {"距离", "Distance"},
                                                        {"当前延时", "Delay now"},
                                                        {"建议延时", "Proposed delay"},
                                                        {"说明", "Note"}};

QTableWidgetItem* Cell(const QString& text, Qt::Alignment align = Qt::AlignCenter) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(align);
    return item;
}

}  // namespace

CAlignDlg::CAlignDlg(PageContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("alignDelays"));
    // A window of its own: dark text on the light window, not the dark page's light labels.
    setStyleSheet(QStringLiteral("QLabel { color: rgb(20,20,20); }"));
    PaintWindowBackground(*this);
    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_temperatureCaption = new QLabel(this);
    m_temperature = new QDoubleSpinBox(this);
    m_temperature->setObjectName(QStringLiteral("alignTemperature"));
    m_temperature->setRange(kMinAlignTemperatureC, kMaxAlignTemperatureC);
    m_temperature->setDecimals(0);
    m_temperature->setSuffix(QStringLiteral(" °C"));
    m_temperature->setValue(eq::kDefaultTemperatureC);
    m_speed = new QLabel(this);
    top->addWidget(m_temperatureCaption);
    top->addWidget(m_temperature);
    top->addSpacing(16);
    top->addWidget(m_speed, 1);
    v->addLayout(top);

    m_table = new QTableWidget(eq::kAlignedSpeakers, kColumns, this);
    m_table->setObjectName(QStringLiteral("alignTable"));
    m_table->verticalHeader()->hide();
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setMinimumSize(600, 270);
    v->addWidget(m_table, 1);

    auto* buttons = new QHBoxLayout;
    m_apply = WindowButton(QString(), 0, this);
    m_apply->setObjectName(QStringLiteral("alignApply"));
    m_close = WindowButton(QString(), 0, this);
    buttons->addStretch(1);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_close);
    v->addLayout(buttons);

    connect(m_temperature, &QDoubleSpinBox::valueChanged, this, &CAlignDlg::Refresh);
    connect(m_apply, &QPushButton::clicked, this, &CAlignDlg::Apply);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    Relabel();
}

void CAlignDlg::Refresh() {
    m_proposal = ProposeDelays(m_context.Device(), m_temperature->value());
    const double most = SettingAt(m_proposal.rows.front().delayAddress).maximum;
    for (int k = 0; k < eq::kAlignedSpeakers; ++k) {
        const AlignmentRow& row = m_proposal.rows[static_cast<std::size_t>(k)];
        const QString now =
            QString::asprintf("%.1fms", row.delayNowMs) + (row.delayOn ? QString() : m_context.Text(" (关)", " (off)"));
        QString note;
        if (row.clamped)
            note = m_context.Text("超过 %1ms，已限制", "longer than %1ms: clamped").arg(most, 0, 'f', 1);
        else if (!row.delayOn)
            note = m_context.Text("应用时打开延时", "switched on when applied");
        m_table->setItem(k, kSpeaker,
                         Cell(m_context.Text(kSpeakerPointNames[k + 1].chinese, kSpeakerPointNames[k + 1].english),
                              Qt::AlignLeft | Qt::AlignVCenter));
        m_table->setItem(k, kDistance, Cell(QString::asprintf("%.2fm", row.distanceM)));
        m_table->setItem(k, kDelayNow, Cell(now));
        m_table->setItem(k, kProposed, Cell(QString::asprintf("%.1fms", row.proposedMs)));
        m_table->setItem(k, kNote, Cell(note, Qt::AlignLeft | Qt::AlignVCenter));
        if (row.clamped) m_table->item(k, kNote)->setForeground(QColor(200, 0, 0));
    }
    m_speed->setText(m_context.Text("声速 %1m/s", "speed of sound %1m/s").arg(m_proposal.speedOfSound, 0, 'f', 1));
}

void CAlignDlg::Relabel() {
    setWindowTitle(m_context.Text("对齐延时", "Align delays"));
    m_temperatureCaption->setText(m_context.Text("温度", "Temperature"));
    QStringList heads;
    for (const auto& h : kHeads) heads << m_context.Text(h[0], h[1]);
    m_table->setHorizontalHeaderLabels(heads);
    m_apply->setText(m_context.Text("应用", "Apply"));
    m_close->setText(m_context.Text("关闭", "Close"));
    Refresh();
}

void CAlignDlg::Apply() {
    if (m_context.Locked()) return;
    // Edits no path committed yet stay a step of their own, so that undoing the alignment
    // takes back the alignment only.
    m_context.Edited();
    Refresh();
    ApplyProposal(m_context.Device(), m_proposal);
    m_context.EditedAs(QStringLiteral("对齐延时"), QStringLiteral("Align delays"));
    Refresh();
    Q_EMIT applied();
}

}  // namespace kv

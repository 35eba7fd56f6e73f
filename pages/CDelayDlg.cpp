#include "pages/CDelayDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <cmath>

#include "device/DeviceContext.h"
#include "eq/CDelayPanel.h"
#include "eq/CXBmpSlider.h"
#include "pages/CNavigationBar.h"
#include "ui/CSpinButtons.h"
#include "ui/LockLook.h"
#include "ui/NumberText.h"
#include "ui/PageStyle.h"
#include "ui/SettingTip.h"
#include "ui/UiText.h"

namespace kv {

namespace {

struct RowInfo {
    const fld::OutputFields* out;
    int side;
    const char* chinese;
    const char* english;
    const char* tag;      // the channel's short name in the panel
    const char* address;  // the delay's setting
};
const RowInfo kInfo[CDelayDlg::kRows] = {
    {&fld::kMain, 0, "前置左", "Main L", "ML", "delay.main.l"},
    {&fld::kMain, 1, "前置右", "Main R", "MR", "delay.main.r"},
    {&fld::kCenter, 0, "中置", "Center", "C", "delay.center"},
    {&fld::kSub, 0, "超低", "SUB", "S", "delay.sub"},
    {&fld::kRear, 0, "后置左", "Rear L", "RL", "delay.rear.l"},
    {&fld::kRear, 1, "后置右", "Rear R", "RR", "delay.rear.r"},
    {&fld::kTop, 0, "顶置左", "Top L", "TL", "delay.top.l"},
    {&fld::kTop, 1, "顶置右", "Top R", "TR", "delay.top.r"},
};
constexpr int kFirstCaptionId = 1293;  // row captions 1293 .. 1300
constexpr int kOnOffIds[CDelayDlg::kRows] = {1123, 1124, 1125, 1126, 1131, 1132, 1135, 1136};
constexpr int kFirstRadioId = 1190;  // high-frequency and whole-channel radios, in pairs
constexpr int kSliderId = 400;
constexpr int kSpinMin = 15;  // tenths of a millisecond: the least delay, so a step from it is a tenth
constexpr int kSpinMax = 1000;
constexpr int kStepMin = 1;

int DelayField(const CDelayDlg::Channel& c) { return c.side ? c.out->delayRight() : c.out->delayLeft(); }

QString MsText(double ms) { return QString::asprintf("%.1fms", ms); }
double Finite(double v) { return std::isfinite(v) ? v : CDelayDlg::kMinMs; }

}  // namespace

CDelayDlg::Channel CDelayDlg::ChannelOf(int row) { return {kInfo[row].out, kInfo[row].side}; }

CDelayDlg::CDelayDlg(PageContext& context, int kind, QWidget* parent)
    : CPageBase(context, PageId::Delay, kDialog, parent) {
    setObjectName(QStringLiteral("delayPage"));
    style::ApplyPageLook(this);
    m_nav = new CNavigationBar(*this);
    m_panel = new CDelayPanel(this);
    m_panel->setObjectName(QStringLiteral("delayPanel"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 8);
    grid->setSpacing(8);
    grid->addWidget(m_nav, 0, 0, 1, 2);
    grid->addWidget(BuildRows(), 1, 0);
    grid->addWidget(m_panel, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    for (int r = 0; r < kRows; ++r) AddRows(r);
    connect(m_panel, &CDelayPanel::delayDragged, this, &CDelayDlg::EnterDelay);
    Open(kind);
    m_nav->Mark();
}

QWidget* CDelayDlg::BuildRows() {
    QWidget* box = style::Section(this);
    auto* g = new QGridLayout(box);
    g->setContentsMargins(8, 8, 8, 8);
    g->setHorizontalSpacing(6);
    for (int r = 0; r < kRows; ++r) {
        Row& row = m_rows[static_cast<std::size_t>(r)];
        row.caption = new QLabel(QString::fromUtf8(kInfo[r].chinese), box);
        SetControlId(row.caption, kFirstCaptionId + r);
        row.caption->setMinimumWidth(52);
        row.onOff = new QCheckBox(QStringLiteral("开关"), box);
        SetControlId(row.onOff, kOnOffIds[r]);
        row.onOff->setObjectName(QStringLiteral("delayOn%1").arg(r));
        row.high = new QRadioButton(QStringLiteral("高频延时"), box);
        row.whole = new QRadioButton(QStringLiteral("通道延时"), box);
        SetControlId(row.high, kFirstRadioId + 2 * r);
        SetControlId(row.whole, kFirstRadioId + 2 * r + 1);
        // Each row's pair excludes only itself.
        auto* pair = new QWidget(box);
        auto* h = new QHBoxLayout(pair);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(row.high);
        h->addWidget(row.whole);
        row.crossover = new CXBmpSlider(kSliderId + r, Qt::Horizontal, box);
        row.crossover->setObjectName(QStringLiteral("crossover%1").arg(r));
        row.crossover->setMinimumSize(110, 20);
        row.crossover->SetBackground(style::kPanelBackground);
        row.hz = new QLabel(box);
        row.hz->setMinimumWidth(52);
        row.edit = new QLineEdit(box);
        row.edit->setObjectName(QStringLiteral("delayEdit%1").arg(r));
        row.edit->setFixedWidth(70);
        row.edit->setAlignment(Qt::AlignCenter);
        row.spin = new CSpinButtons(box);
        row.spin->SetRange(kSpinMin, kSpinMax);
        int c = 0;
        for (QWidget* w :
             {static_cast<QWidget*>(row.caption), static_cast<QWidget*>(row.onOff), static_cast<QWidget*>(pair),
              static_cast<QWidget*>(row.crossover), static_cast<QWidget*>(row.hz), static_cast<QWidget*>(row.edit),
              static_cast<QWidget*>(row.spin)})
            g->addWidget(w, r, c++);
        connect(row.edit, &QLineEdit::returnPressed, this, [this, r] { TypeDelay(r); });
        connect(row.spin, &CSpinButtons::stepped, this, [this, r](int d) { Step(r, d); });
    }
    g->setColumnStretch(3, 1);
    return box;
}

void CDelayDlg::AddRows(int r) {
    Row& row = m_rows[static_cast<std::size_t>(r)];
    const std::string address = kInfo[r].address;
    Bind().Add(AddressRow(address + ".on"), {row.onOff});
    // First of the pair stands for 1: the whole channel.
    Bind().Add(AddressRow(address + ".mode"), {row.whole, row.high});
    // The slider steps through the crossovers from the lowest.
    Bind().Add(AddressRowFromLowest(address + ".crossover"), {row.crossover}, {row.hz});
    connect(&Bind(), &Binder::issued, this, [this, r](int, int) { Enable(r); });
}

void CDelayDlg::Enable(int r) {
    const Row& row = m_rows[static_cast<std::size_t>(r)];
    const bool on = row.onOff->isChecked();
    const bool high = on && row.high->isChecked();
    for (QWidget* w :
         {static_cast<QWidget*>(row.high), static_cast<QWidget*>(row.whole), static_cast<QWidget*>(row.caption),
          static_cast<QWidget*>(row.edit), static_cast<QWidget*>(row.spin)})
        w->setEnabled(on);
    row.crossover->setEnabled(high);
    row.hz->setEnabled(high);
}

void CDelayDlg::SetDelay(int r, double ms) {
    if (r < 0 || r >= kRows) return;
    const double v = std::clamp(Finite(ms), kMinMs, kMaxMs);
    m_panel->SetValue(r, v);
    m_rows[static_cast<std::size_t>(r)].edit->setText(MsText(v));
    // Only a change reaches the box.
    SettingAt(kInfo[r].address).apply(Context().Device(), v);
}

void CDelayDlg::EnterDelay(int r, double ms) {
    if (RefuseLocked()) return;
    const double v = std::clamp(Finite(ms), kMinMs, kMaxMs);
    SetDelay(r, v);
    m_rows[static_cast<std::size_t>(r)].spin->SetPosition(static_cast<int>(std::lround(v * 10)));
}

void CDelayDlg::TypeDelay(int r) {
    QLineEdit* edit = m_rows[static_cast<std::size_t>(r)].edit;
    edit->setFocus();
    const QString text = edit->text();
    const BoxValue v = ReadBox(SettingAt(kInfo[r].address), text, Context().Language());
    if (!v) {
        // Nothing is sent; the box shows the delay that stands.
        edit->setText(MsText(Finite(Context().Device().store.Float(DelayField(ChannelOf(r))))));
        ShowRefused(Context(), edit, text, v.reason);
        return;
    }
    ClearRefused(edit);
    EnterDelay(r, *v.value);
}

void CDelayDlg::Step(int r, int delta) {
    if (RefuseLocked()) return;
    CSpinButtons* spin = m_rows[static_cast<std::size_t>(r)].spin;
    const int p = std::clamp(spin->Position() + (delta > 0 ? 1 : delta < 0 ? -1 : 0), kStepMin, kSpinMax);
    SetDelay(r, p / 10.0);
    spin->SetPosition(p);  // within its own range, which starts at the least delay
}

void CDelayDlg::OnLock(bool locked) {
    m_panel->SetReadOnly(locked);
    for (const Row& row : m_rows) {
        SetLockLook(row.edit, locked);
        SetLockLook(row.spin, locked);
    }
}

void CDelayDlg::OnReload() {
    const DeviceContext& d = Context().Device();
    for (int r = 0; r < kRows; ++r) {
        Row& row = m_rows[static_cast<std::size_t>(r)];
        const double ms = Finite(d.store.Float(DelayField(ChannelOf(r))));
        row.spin->SetPosition(RoundedPosition(ms * 10));
        row.edit->setText(MsText(ms));
        m_panel->SetValue(r, ms);
        Enable(r);
    }
}

void CDelayDlg::OnRelabel() {
    QStringList names;
    for (int r = 0; r < kRows; ++r) {
        // The delay boxes are the page's own, not the binder's: their tip from the same setting.
        const Row& row = m_rows[static_cast<std::size_t>(r)];
        const QString tip = SettingTip(SettingAt(kInfo[r].address), Context().Language());
        SetSettingTip(row.edit, tip);
        SetSettingTip(row.spin, tip);
        const QString name = Context().Text(kInfo[r].chinese, kInfo[r].english);
        names << QStringLiteral("%1(%2)").arg(name, QString::fromLatin1(kInfo[r].tag));
    }
    m_panel->SetNames(names);
}

bool CDelayDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int steps = key == Qt::Key_Up || key == Qt::Key_PageUp       ? 1
                          : key == Qt::Key_Down || key == Qt::Key_PageDown ? -1
                                                                           : 0;
        for (int r = 0; steps != 0 && r < kRows; ++r)
            if (watched == m_rows[static_cast<std::size_t>(r)].edit) {
                Step(r, steps);
                return true;
            }
    }
    return CPageBase::eventFilter(watched, event);
}

bool CDelayDlg::OnWheel(int steps) {
    // A focused delay box steps like its spin control.
    for (int r = 0; r < kRows; ++r)
        if (QApplication::focusWidget() == m_rows[static_cast<std::size_t>(r)].edit) {
            Step(r, steps);
            return true;
        }
    return false;
}

}  // namespace kv

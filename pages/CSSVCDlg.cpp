#include "pages/CSSVCDlg.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "device/DeviceContext.h"
#include "ui/UiText.h"
#include "eq/CSSVolumePanel.h"
#include "pages/CNavigationBar.h"
#include "ui/CSpinButtons.h"
#include "ui/LockLook.h"
#include "ui/NumberText.h"
#include "ui/PageStyle.h"

namespace kv {

namespace {

constexpr int kListener = 0;
constexpr int kSpeakers = 8;
constexpr int kListenerTypedReach = 6;  // typing or stepping the listener leaves the TOP speakers
constexpr int kWidthField = fld::kRoomWidth;
constexpr int kLengthField = fld::kRoomLength;
enum Axis { kX, kY };

struct PointInfo {
    const char* chinese;
    const char* english;
    const char* tag;
    const char* address;  // the point's settings are address + ".x" and ".y"
};
const PointInfo kInfo[CSSVCDlg::kPoints] = {
    {"听众位置", "Listener", "", "position.listener"}, {"前置左", "Main L", "ML", "position.main.l"},
    {"中置", "Center", "C", "position.center"},        {"前置右", "Main R", "MR", "position.main.r"},
    {"后置左", "Rear L", "RL", "position.rear.l"},     {"超低", "SUB", "S", "position.sub"},
    {"后置右", "Rear R", "RR", "position.rear.r"},     {"顶置左", "Top L", "TL", "position.top.l"},
    {"顶置右", "Top R", "TR", "position.top.r"},
};
const char* const kRoomAddress[2] = {"room.width", "room.length"};

const Setting& PositionSetting(int point, int axis) {
    return SettingAt(std::string(kInfo[point].address) + (axis == kX ? ".x" : ".y"));
}

// Language-table identifiers.
constexpr int kRoomGroupId = 1002;
constexpr int kWidthLabelId = 1003;
constexpr int kLengthLabelId = 1005;
constexpr int kApplyRoomId = 1006;
constexpr int kListenerGroupId = 1007;
constexpr int kSourcesGroupId = 1011;
constexpr int kXHeadId = 1012;
constexpr int kYHeadId = 1013;
constexpr int kCentreId = 1017;
constexpr int kResetId = 1018;
constexpr int kUnitId = 1019;

QString MetresText(double v) { return QString::asprintf("%+-.1fm", v); }
QString RoomText(int v) { return QString::asprintf("%dm", v); }
double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

QLineEdit* Box(QWidget* parent, const QString& name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(62);
    e->setAlignment(Qt::AlignCenter);
    return e;
}

}  // namespace

float CSSVCDlg::LevelAt(double d) { return SpeakerLevelAt(d); }
int CSSVCDlg::XField(int point) { return PositionXField(point); }
int CSSVCDlg::YField(int point) { return PositionYField(point); }

CSSVCDlg::CSSVCDlg(PageContext& context, int kind, QWidget* parent)
    : CPageBase(context, PageId::SpeakerPosition, kDialog, parent) {
    setObjectName(QStringLiteral("speakerPage"));
    style::ApplyPageLook(this);
    m_nav = new CNavigationBar(*this);
    m_panel = new CSSVolumePanel(this);
    m_panel->setObjectName(QStringLiteral("roomPanel"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 8);
    grid->setSpacing(8);
    grid->addWidget(m_nav, 0, 0, 1, 2);
    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(BuildRoom());
    left->addWidget(BuildPoints(), 1);
    grid->addLayout(left, 1, 0);
    grid->addWidget(m_panel, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    connect(m_panel, &CSSVolumePanel::pointPressed, this, &CSSVCDlg::Dragged);
    connect(m_panel, &CSSVolumePanel::pointMoved, this, &CSSVCDlg::Dragged);
    Open(kind);
    m_nav->Mark();
}

QWidget* CSSVCDlg::BuildRoom() {
    auto* box = new QGroupBox(QStringLiteral("房间大小"), this);
    SetControlId(box, kRoomGroupId);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(6, 4, 6, 4);
    const char* names[2] = {"宽(m)", "长(m)"};
    const int ids[2] = {kWidthLabelId, kLengthLabelId};
    for (int a = 0; a < 2; ++a) {
        auto* l = new QLabel(QString::fromUtf8(names[a]), box);
        SetControlId(l, ids[a]);
        m_roomEdit[static_cast<std::size_t>(a)] =
            Box(box, a ? QStringLiteral("roomLength") : QStringLiteral("roomWidth"));
        auto* spin = new CSpinButtons(box);
        spin->SetRange(kMinRoom, kMaxRoom);
        m_roomSpin[static_cast<std::size_t>(a)] = spin;
        connect(spin, &CSpinButtons::stepped, this, [this, a](int d) { StepRoom(a, d); });
        connect(m_roomEdit[static_cast<std::size_t>(a)], &QLineEdit::returnPressed, this, &CSSVCDlg::ApplyRoomBoxes);
        h->addWidget(l);
        h->addWidget(m_roomEdit[static_cast<std::size_t>(a)]);
        h->addWidget(spin);
    }
    m_applyRoom = new QPushButton(QStringLiteral("立即修改"), box);
    SetControlId(m_applyRoom, kApplyRoomId);
    connect(m_applyRoom, &QPushButton::clicked, this, &CSSVCDlg::ApplyRoomBoxes);
    h->addWidget(m_applyRoom);
    h->addStretch(1);
    return box;
}

QWidget* CSSVCDlg::BuildPoints() {
    QWidget* area = new QWidget(this);
    auto* v = new QVBoxLayout(area);
    v->setContentsMargins(0, 0, 0, 0);
    auto* listener = new QGroupBox(QStringLiteral("听众位置"), area);
    SetControlId(listener, kListenerGroupId);
    auto* sources = new QGroupBox(QStringLiteral("声源的位置"), area);
    SetControlId(sources, kSourcesGroupId);
    auto* lg = new QGridLayout(listener);
    auto* sg = new QGridLayout(sources);
    for (QGridLayout* g : {lg, sg}) {
        g->setContentsMargins(6, 4, 6, 4);
        g->setVerticalSpacing(3);
        QWidget* owner = g == lg ? listener : sources;
        auto* x = new QLabel(QStringLiteral("X(m)"), owner);
        auto* y = new QLabel(QStringLiteral("Y(m)"), owner);
        SetControlId(x, kXHeadId);
        SetControlId(y, kYHeadId);
        g->addWidget(x, 0, 1, 1, 2, Qt::AlignCenter);
        g->addWidget(y, 0, 3, 1, 2, Qt::AlignCenter);
    }
    for (int p = 0; p < kPoints; ++p) {
        QGridLayout* g = p == kListener ? lg : sg;
        QWidget* owner = p == kListener ? listener : sources;
        const int row = p == kListener ? 1 : p;
        auto* caption = new QLabel(QString::fromUtf8(kInfo[p].chinese), owner);
        caption->setMinimumWidth(56);
        m_captions[static_cast<std::size_t>(p)] = caption;
        g->addWidget(caption, row, 0);
        for (int a = 0; a < 2; ++a) {
            QLineEdit* e = Box(owner, QStringLiteral("pos%1%2").arg(p).arg(a ? 'Y' : 'X'));
            auto* spin = new CSpinButtons(owner);
            m_edits[static_cast<std::size_t>(p)][a] = e;
            m_spins[static_cast<std::size_t>(p)][a] = spin;
            g->addWidget(e, row, 1 + 2 * a);
            g->addWidget(spin, row, 2 + 2 * a);
            connect(e, &QLineEdit::returnPressed, this, [this, p] { TypePosition(p); });
            connect(spin, &CSpinButtons::stepped, this, [this, p, a](int d) { StepPosition(p, a, d); });
        }
    }
    m_centre = new QPushButton(QStringLiteral("居中"), listener);
    SetControlId(m_centre, kCentreId);
    connect(m_centre, &QPushButton::clicked, this, &CSSVCDlg::Centre);
    lg->addWidget(m_centre, 1, 5);
    v->addWidget(listener);
    v->addWidget(sources);
    v->addStretch(1);
    auto* bottom = new QHBoxLayout;
    auto* unit = new QLabel(QStringLiteral("长度单位:米(m)"), area);
    SetControlId(unit, kUnitId);
    unit->setProperty("hint", true);
    m_reset = new QPushButton(QStringLiteral("全部复位"), area);
    SetControlId(m_reset, kResetId);
    connect(m_reset, &QPushButton::clicked, this, &CSSVCDlg::ResetAll);
    bottom->addWidget(unit, 1);
    bottom->addWidget(m_reset);
    v->addLayout(bottom);
    return area;
}

// ---- Positions ----

void CSSVCDlg::ShowPoint(int p, double x, double y) {
    m_edits[static_cast<std::size_t>(p)][kX]->setText(MetresText(x));
    m_edits[static_cast<std::size_t>(p)][kY]->setText(MetresText(y));
}

void CSSVCDlg::SendLevel(int speaker) { SendSpeakerLevel(Context().Device(), speaker); }

void CSSVCDlg::ApplyPoint(int p, double x, double y, int listenerReach) {
    DeviceContext& d = Context().Device();
    m_panel->SetPoint(p, x, y);
    d.store.SetFloat(XField(p), static_cast<float>(x));
    d.store.SetFloat(YField(p), static_cast<float>(y));
    d.encoders.WriteSpeakerPositions();
    if (p != kListener) {
        SendLevel(p);
        return;
    }
    for (int s = 1; s <= listenerReach; ++s) SendLevel(s);
}

BoxValue CSSVCDlg::ReadPosition(int p, int axis) {
    QLineEdit* box = Edit(p, axis);
    const QString text = box->text();
    BoxValue v = ReadBox(PositionSetting(p, axis), text, Context().Language());
    if (v)
        ClearRefused(box);
    else
        ShowRefused(Context(), box, text, v.reason);
    return v;
}

double CSSVCDlg::StoredPosition(int p, int axis) {
    const DeviceContext& d = Context().Device();
    return Finite(d.store.Float(axis == kX ? XField(p) : YField(p)));
}

void CSSVCDlg::TypePosition(int p) {
    if (p < 0 || p >= kPoints || RefuseLocked()) return;
    const BoxValue typedX = ReadPosition(p, kX);
    const BoxValue typedY = ReadPosition(p, kY);
    if (!typedX || !typedY) {
        // Nothing is sent: both boxes show the point as it stands.
        ShowPoint(p, StoredPosition(p, kX), StoredPosition(p, kY));
        return;
    }
    const double halfW = m_roomSpin[kX]->Position() * 0.5;
    const double halfL = m_roomSpin[kY]->Position() * 0.5;
    const double x = std::clamp(*typedX.value, -halfW, halfW);
    const double y = std::clamp(*typedY.value, -halfL, halfL);
    Spin(p, kX)->SetPosition(RoundedPosition(x * 10));
    Spin(p, kY)->SetPosition(RoundedPosition(y * 10));
    ShowPoint(p, x, y);
    ApplyPoint(p, x, y, kListenerTypedReach);
}

void CSSVCDlg::StepPosition(int p, int axis, int delta) {
    if (RefuseLocked()) return;
    CSpinButtons* spin = Spin(p, axis);
    spin->SetPosition(spin->Position() + (delta > 0 ? 1 : delta < 0 ? -1 : 0));
    const double stepped = spin->Position() / 10.0;
    QLineEdit* box = Edit(p, axis);
    box->setText(MetresText(stepped));
    box->setFocus();
    // The other box as it reads; a text that is not a position is put back to the stored one.
    const BoxValue typed = ReadPosition(p, 1 - axis);
    const double other = typed ? *typed.value : StoredPosition(p, 1 - axis);
    if (!typed) Edit(p, 1 - axis)->setText(MetresText(other));
    ApplyPoint(p, axis == kX ? stepped : other, axis == kY ? stepped : other, kListenerTypedReach);
}

void CSSVCDlg::Dragged(int p, double x, double y) {
    if (RefuseLocked()) return;
    ShowPoint(p, x, y);
    Spin(p, kX)->SetPosition(static_cast<int>(x * 10));
    Spin(p, kY)->SetPosition(static_cast<int>(y * 10));
    // A dragged listener changes every distance.
    ApplyPoint(p, x, y, kSpeakers);
}

void CSSVCDlg::Centre() {
    if (RefuseLocked()) return;
    DeviceContext& d = Context().Device();
    m_panel->SetPoint(kListener, 0.0, 0.0);
    d.store.SetFloat(XField(kListener), 0.0f);
    d.store.SetFloat(YField(kListener), 0.0f);
    d.encoders.WriteSpeakerPositions();
    for (int s = 1; s <= kSpeakers; ++s) SendLevel(s);
}

void CSSVCDlg::ResetAll() {
    if (RefuseLocked()) return;
    // Every speaker level and position is lost: asked, with No as the default.
    if (!Context().AskDestructive(Context().Text("提示", "Information"),
                                  Context().Text("您确定将全部扬声器复位吗?", "Are you sure reset all speakers?")))
        return;
    DeviceContext& d = Context().Device();
    // Levels to 0 first (not the levels the default positions would give), then the default
    // positions into the store and the box.
    d.encoders.ResetSpeakerGains();
    Reload();
}

// ---- Room ----

void CSSVCDlg::StepRoom(int axis, int delta) {
    if (RefuseLocked()) return;
    CSpinButtons* spin = m_roomSpin[static_cast<std::size_t>(axis)];
    spin->SetPosition(spin->Position() + (delta > 0 ? 1 : delta < 0 ? -1 : 0));
    m_roomEdit[static_cast<std::size_t>(axis)]->setText(RoomText(spin->Position()));
    ApplyRoom();
}

void CSSVCDlg::ApplyRoomBoxes() {
    if (RefuseLocked()) return;
    int sizes[2] = {0, 0};
    bool refused = false;
    for (int a = 0; a < 2; ++a) {
        QLineEdit* box = m_roomEdit[static_cast<std::size_t>(a)];
        const QString text = box->text();
        const BoxValue v = ReadBox(SettingAt(kRoomAddress[a]), text, Context().Language());
        if (!v) {
            refused = true;
            ShowRefused(Context(), box, text, v.reason);
            continue;
        }
        ClearRefused(box);
        sizes[a] = static_cast<int>(std::lround(*v.value));
    }
    if (refused) {
        // Nothing is sent: both boxes show the room as it stands.
        for (int a = 0; a < 2; ++a)
            m_roomEdit[static_cast<std::size_t>(a)]->setText(
                RoomText(m_roomSpin[static_cast<std::size_t>(a)]->Position()));
        return;
    }
    for (int a = 0; a < 2; ++a) {
        m_roomEdit[static_cast<std::size_t>(a)]->setText(RoomText(sizes[a]));
        m_roomSpin[static_cast<std::size_t>(a)]->SetPosition(sizes[a]);
    }
    ApplyRoom();
}

void CSSVCDlg::ApplyRoom() {
    const int w = m_roomSpin[kX]->Position();
    const int l = m_roomSpin[kY]->Position();
    DeviceContext& d = Context().Device();
    m_panel->SetRoomSize(w, l);
    d.store.SetInt(kWidthField, w);
    d.store.SetInt(kLengthField, l);
    d.encoders.WriteSpeakerPositions();
    // Positions already outside the new room stay until they are moved.
    for (int p = 0; p < kPoints; ++p) {
        m_spins[static_cast<std::size_t>(p)][kX]->SetRange(-(w * 10 / 2), w * 10 / 2);
        m_spins[static_cast<std::size_t>(p)][kY]->SetRange(-(l * 10 / 2), l * 10 / 2);
    }
}

// ---- Reload, texts, wheel ----

void CSSVCDlg::OnLock(bool locked) {
    m_panel->SetReadOnly(locked);
    for (std::size_t p = 0; p < kPoints; ++p)
        for (int a = 0; a < 2; ++a) {
            SetLockLook(m_edits[p][static_cast<std::size_t>(a)], locked);
            SetLockLook(m_spins[p][static_cast<std::size_t>(a)], locked);
        }
    for (std::size_t a = 0; a < 2; ++a) {
        SetLockLook(m_roomEdit[a], locked);
        SetLockLook(m_roomSpin[a], locked);
    }
    for (QWidget* b : {m_applyRoom, m_centre, m_reset}) SetLockLook(b, locked);
}

void CSSVCDlg::OnReload() {
    const DeviceContext& d = Context().Device();
    const int w = std::clamp(d.store.Int(kWidthField), kMinRoom, kMaxRoom);
    const int l = std::clamp(d.store.Int(kLengthField), kMinRoom, kMaxRoom);
    m_roomSpin[kX]->SetPosition(w);
    m_roomSpin[kY]->SetPosition(l);
    m_roomEdit[kX]->setText(RoomText(w));
    m_roomEdit[kY]->setText(RoomText(l));
    m_panel->SetRoomSize(w, l);
    for (int p = 0; p < kPoints; ++p) {
        const double x = Finite(d.store.Float(XField(p)));
        const double y = Finite(d.store.Float(YField(p)));
        m_spins[static_cast<std::size_t>(p)][kX]->SetRange(-(w * 10 / 2), w * 10 / 2);
        m_spins[static_cast<std::size_t>(p)][kY]->SetRange(-(l * 10 / 2), l * 10 / 2);
        Spin(p, kX)->SetPosition(RoundedPosition(x * 10));
        Spin(p, kY)->SetPosition(RoundedPosition(y * 10));
        ShowPoint(p, x, y);
        m_panel->SetPoint(p, x, y);
    }
}

void CSSVCDlg::OnRelabel() {
    QStringList names;
    for (int p = 0; p < kPoints; ++p) {
        const QString caption = Context().Text(kInfo[p].chinese, kInfo[p].english);
        m_captions[static_cast<std::size_t>(p)]->setText(caption);
        if (p != kListener) names << QStringLiteral("%1(%2)").arg(caption, QString::fromLatin1(kInfo[p].tag));
    }
    m_panel->SetNames(names);
}

bool CSSVCDlg::OnWheel(int steps) {
    // A focused position box steps like its spin control.
    QWidget* focus = QApplication::focusWidget();
    for (int p = 0; p < kPoints; ++p)
        for (int a = 0; a < 2; ++a)
            if (focus == m_edits[static_cast<std::size_t>(p)][a]) {
                StepPosition(p, a, steps);
                return true;
            }
    return false;
}

}  // namespace kv

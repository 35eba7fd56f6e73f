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
#include "eq/CSSVolumePanel.h"
#include "pages/CNavigationBar.h"
#include "ui/CSpinButtons.h"
#include "ui/LockLook.h"
#include "ui/PageStyle.h"
#include "ui/UiText.h"

namespace kv {

namespace {

constexpr int kListener = 0;
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
enum ControlId {
    kRoomGroupId = 1002,
    kWidthLabelId = 1003,
    kLengthLabelId = 1005,
    kApplyRoomId = 1006,
    kListenerGroupId = 1007,
    kSourcesGroupId = 1011,
    kXHeadId = 1012,
    kYHeadId = 1013,
    kCentreId = 1017,
    kResetId = 1018,
    kUnitId = 1019
};

QString MetresText(double v) { return QString::asprintf("%+-.1fm", v); }
QString RoomText(int v) { return QString::asprintf("%dm", v); }
int Step(int delta) { return delta > 0 ? 1 : delta < 0 ? -1 : 0; }

QLineEdit* Box(QWidget* parent, const QString& name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(62);
    e->setAlignment(Qt::AlignCenter);
    return e;
}

QLabel* Label(const char* text, QWidget* parent, int id) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    SetControlId(l, id);
    return l;
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
    // A dragged point keeps the pointer's exact place; a dragged listener changes every distance.
    const auto drag = [this](int p, double x, double y) { MovePoint(p, x, y, kSpeakerCount, true); };
    connect(m_panel, &CSSVolumePanel::pointPressed, this, drag);
    connect(m_panel, &CSSVolumePanel::pointMoved, this, drag);
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
        QLineEdit* edit = Box(box, a ? QStringLiteral("roomLength") : QStringLiteral("roomWidth"));
        auto* spin = new CSpinButtons(box);
        spin->SetRange(kMinRoom, kMaxRoom);
        m_roomEdit[static_cast<std::size_t>(a)] = edit;
        m_roomSpin[static_cast<std::size_t>(a)] = spin;
        connect(spin, &CSpinButtons::stepped, this, [this, a](int d) { StepRoom(a, d); });
        connect(edit, &QLineEdit::returnPressed, this, &CSSVCDlg::ApplyRoomBoxes);
        h->addWidget(Label(names[a], box, ids[a]));
        h->addWidget(edit);
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
        g->addWidget(Label("X(m)", owner, kXHeadId), 0, 1, 1, 2, Qt::AlignCenter);
        g->addWidget(Label("Y(m)", owner, kYHeadId), 0, 3, 1, 2, Qt::AlignCenter);
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
    // The listener's boxes and spin buttons follow, so the next step starts from the centre.
    connect(m_centre, &QPushButton::clicked, this, [this] { MovePoint(kListener, 0.0, 0.0, kSpeakerCount, true); });
    lg->addWidget(m_centre, 1, 5);
    v->addWidget(listener);
    v->addWidget(sources);
    v->addStretch(1);
    auto* bottom = new QHBoxLayout;
    QLabel* unit = Label("长度单位:米(m)", area, kUnitId);
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

void CSSVCDlg::MovePoint(int p, double x, double y, int listenerReach, bool show) {
    if (RefuseLocked()) return;
    if (show) {
        Edit(p, kX)->setText(MetresText(x));
        Edit(p, kY)->setText(MetresText(y));
        Spin(p, kX)->SetPosition(static_cast<int>(x * 10));
        Spin(p, kY)->SetPosition(static_cast<int>(y * 10));
    }
    m_panel->SetPoint(p, x, y);
    ApplySpeakerPoint(Context().Device(), p, x, y, listenerReach);
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

double CSSVCDlg::StoredPosition(int p, int axis) { return PositionSetting(p, axis).read(Context().Device()); }

void CSSVCDlg::TypePosition(int p) {
    if (p < 0 || p >= kPoints || RefuseLocked()) return;
    const BoxValue typed[2] = {ReadPosition(p, kX), ReadPosition(p, kY)};
    double v[2];
    for (int a = 0; a < 2; ++a) {
        // A refused box sends nothing: both boxes show the point as it stands.
        const double half = m_roomSpin[static_cast<std::size_t>(a)]->Position() * 0.5;
        v[a] = typed[0] && typed[1] ? std::clamp(*typed[a].value, -half, half) : StoredPosition(p, a);
        Edit(p, a)->setText(MetresText(v[a]));
    }
    if (!typed[0] || !typed[1]) return;
    Spin(p, kX)->SetPosition(RoundedPosition(v[kX] * 10));
    Spin(p, kY)->SetPosition(RoundedPosition(v[kY] * 10));
    MovePoint(p, v[kX], v[kY], kListenerTypedReach, false);
}

void CSSVCDlg::StepPosition(int p, int axis, int delta) {
    if (RefuseLocked()) return;
    CSpinButtons* spin = Spin(p, axis);
    spin->SetPosition(spin->Position() + Step(delta));
    const double stepped = spin->Position() / 10.0;
    Edit(p, axis)->setText(MetresText(stepped));
    Edit(p, axis)->setFocus();
    // The other box as it reads; a text that is not a position is put back to the stored one.
    const BoxValue typed = ReadPosition(p, 1 - axis);
    const double other = typed ? *typed.value : StoredPosition(p, 1 - axis);
    if (!typed) Edit(p, 1 - axis)->setText(MetresText(other));
    MovePoint(p, axis == kX ? stepped : other, axis == kY ? stepped : other, kListenerTypedReach, false);
}

void CSSVCDlg::ResetAll() {
    if (RefuseLocked()) return;
    // Every speaker level and position is lost: asked, with No as the default.
    if (!Context().AskDestructive(Context().Text("提示", "Information"),
                                  Context().Text("您确定将全部扬声器复位吗?", "Are you sure reset all speakers?")))
        return;
    DeviceContext& d = Context().Device();
    // Levels to 0 first (not the levels the default positions would give); then the default
    // positions into the fields, written by the block encoder like every other position change.
    for (int s = 1; s <= kSpeakerCount; ++s) d.encoders.SpeakerGain(s, 0.0f);
    d.store.SetSpeakerPositions(ParameterStore::kDefaultSpeakerPositions);
    d.encoders.WriteSpeakerPositions();
    Reload();
}

// ---- Room ----

void CSSVCDlg::StepRoom(int axis, int delta) {
    if (RefuseLocked()) return;
    CSpinButtons* spin = m_roomSpin[static_cast<std::size_t>(axis)];
    spin->SetPosition(spin->Position() + Step(delta));
    m_roomEdit[static_cast<std::size_t>(axis)]->setText(RoomText(spin->Position()));
    SettingAt(kRoomAddress[axis]).apply(Context().Device(), spin->Position());
    ShowRoom();
}

void CSSVCDlg::ApplyRoomBoxes() {
    if (RefuseLocked()) return;
    BoxValue typed[2];
    for (std::size_t a = 0; a < 2; ++a) {
        const QString text = m_roomEdit[a]->text();
        typed[a] = ReadBox(SettingAt(kRoomAddress[a]), text, Context().Language());
        if (typed[a])
            ClearRefused(m_roomEdit[a]);
        else
            ShowRefused(Context(), m_roomEdit[a], text, typed[a].reason);
    }
    // A refused box sends nothing: both boxes show the room as it stands.
    for (std::size_t a = 0; a < 2; ++a)
        if (typed[0] && typed[1]) m_roomSpin[a]->SetPosition(static_cast<int>(std::lround(*typed[a].value)));
    for (std::size_t a = 0; a < 2; ++a) m_roomEdit[a]->setText(RoomText(m_roomSpin[a]->Position()));
    if (!typed[0] || !typed[1]) return;
    ApplyRoomSize(Context().Device(), m_roomSpin[kX]->Position(), m_roomSpin[kY]->Position());
    ShowRoom();
}

void CSSVCDlg::ShowRoom() {
    const int w = m_roomSpin[kX]->Position();
    const int l = m_roomSpin[kY]->Position();
    m_panel->SetRoomSize(w, l);
    // Positions already outside the new room stay until they are moved.
    for (std::size_t p = 0; p < kPoints; ++p) {
        m_spins[p][kX]->SetRange(-(w * 10 / 2), w * 10 / 2);
        m_spins[p][kY]->SetRange(-(l * 10 / 2), l * 10 / 2);
    }
}

// ---- Reload, texts, wheel ----

void CSSVCDlg::OnLock(bool locked) {
    m_panel->SetReadOnly(locked);
    for (QWidget* w : findChildren<QLineEdit*>()) SetLockLook(w, locked);
    for (QWidget* w : findChildren<CSpinButtons*>()) SetLockLook(w, locked);
    for (QWidget* b : {m_applyRoom, m_centre, m_reset}) SetLockLook(b, locked);
}

void CSSVCDlg::OnReload() {
    const DeviceContext& d = Context().Device();
    for (std::size_t a = 0; a < 2; ++a) {
        const int size = static_cast<int>(std::lround(SettingAt(kRoomAddress[a]).read(d)));
        m_roomSpin[a]->SetPosition(size);
        m_roomEdit[a]->setText(RoomText(size));
    }
    ShowRoom();
    for (int p = 0; p < kPoints; ++p) {
        const double x = StoredPosition(p, kX);
        const double y = StoredPosition(p, kY);
        Spin(p, kX)->SetPosition(RoundedPosition(x * 10));
        Spin(p, kY)->SetPosition(RoundedPosition(y * 10));
        Edit(p, kX)->setText(MetresText(x));
        Edit(p, kY)->setText(MetresText(y));
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
            if (focus == Edit(p, a)) {
                StepPosition(p, a, steps);
                return true;
            }
    return false;
}

}  // namespace kv

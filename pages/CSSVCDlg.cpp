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
#include "pages/AlignEntry.h"
#include "pages/CNavigationBar.h"
#include "pages/SpeakerPointNames.h"
#include "ui/CSpinButtons.h"
#include "ui/LockLook.h"
#include "ui/PageStyle.h"
#include "ui/PointBoxes.h"
#include "ui/UiText.h"
#include "ui/WindowParts.h"

namespace kv {

namespace {

constexpr int kListener = 0;
enum Axis { kX, kY };

static_assert(kSpeakerPointNameCount == CSSVCDlg::kPoints);
const auto& kInfo = kSpeakerPointNames;
const char* const kRoomAddress[2] = {"room.width", "room.length"};

const Setting& PositionSetting(int point, int axis) {
    return SettingAt(std::string("position.") + kPositionPoints[point] + (axis == kX ? ".x" : ".y"));
}

QString MetresText(double v) { return QString::asprintf("%+-.1fm", v); }
QString RoomText(double v) { return QString::asprintf("%dm", RoundedPosition(v)); }

}  // namespace

CSSVCDlg::CSSVCDlg(PageContext& context, int kind, QWidget* parent)
    : CPageBase(context, PageId::SpeakerPosition, kDialog, parent) {
    setObjectName(QStringLiteral("speakerPage"));
    style::ApplyPageLook(this);
    m_nav = new CNavigationBar(*this);
    m_panel = new CSSVolumePanel(this);
    m_panel->setObjectName(QStringLiteral("roomPanel"));
    m_panel->SetLevelRule([](double metres) { return static_cast<double>(SpeakerLevelAt(metres)); });
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
    auto* box = WithId(new QGroupBox(QStringLiteral("房间大小"), this), 1002);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(6, 4, 6, 4);
    m_room = new PointBoxes(box, {QStringLiteral("roomWidth"), QStringLiteral("roomLength")},
                            {&SettingAt(kRoomAddress[kX]), &SettingAt(kRoomAddress[kY])}, RoomText, 1);
    const char* names[2] = {"宽(m)", "长(m)"};
    const int ids[2] = {1003, 1005};
    for (int a = 0; a < 2; ++a) {
        RoomSpin(a)->SetRange(kMinRoom, kMaxRoom);
        h->addWidget(IdLabel(QString::fromUtf8(names[a]), ids[a], box));
        h->addWidget(RoomEdit(a));
        h->addWidget(RoomSpin(a));
    }
    connect(m_room, &PointBoxes::stepped, this, &CSSVCDlg::StepRoom);
    connect(m_room, &PointBoxes::typed, this, &CSSVCDlg::ApplyRoomBoxes);
    m_applyRoom = WithId(new QPushButton(QStringLiteral("立即修改"), box), 1006);
    connect(m_applyRoom, &QPushButton::clicked, this, &CSSVCDlg::ApplyRoomBoxes);
    h->addWidget(m_applyRoom);
    h->addStretch(1);
    return box;
}

QWidget* CSSVCDlg::BuildPoints() {
    QWidget* area = new QWidget(this);
    auto* v = new QVBoxLayout(area);
    v->setContentsMargins(0, 0, 0, 0);
    auto* listener = WithId(new QGroupBox(QStringLiteral("听众位置"), area), 1007);
    auto* sources = WithId(new QGroupBox(QStringLiteral("声源的位置"), area), 1011);
    auto* lg = new QGridLayout(listener);
    auto* sg = new QGridLayout(sources);
    for (QGridLayout* g : {lg, sg}) {
        g->setContentsMargins(6, 4, 6, 4);
        g->setVerticalSpacing(3);
        QWidget* owner = g == lg ? listener : sources;
        g->addWidget(IdLabel(QStringLiteral("X(m)"), 1012, owner), 0, 1, 1, 2, Qt::AlignCenter);
        g->addWidget(IdLabel(QStringLiteral("Y(m)"), 1013, owner), 0, 3, 1, 2, Qt::AlignCenter);
    }
    for (int p = 0; p < kPoints; ++p) {
        QGridLayout* g = p == kListener ? lg : sg;
        QWidget* owner = p == kListener ? listener : sources;
        const int row = p == kListener ? 1 : p;
        auto* caption = new QLabel(QString::fromUtf8(kInfo[p].chinese), owner);
        caption->setMinimumWidth(56);
        m_captions[static_cast<std::size_t>(p)] = caption;
        g->addWidget(caption, row, 0);
        auto* boxes = new PointBoxes(owner, {QStringLiteral("pos%1X").arg(p), QStringLiteral("pos%1Y").arg(p)},
                                     {&PositionSetting(p, kX), &PositionSetting(p, kY)}, MetresText, 10);
        m_points[static_cast<std::size_t>(p)] = boxes;
        boxes->Place(*g, row, kX, 1);
        boxes->Place(*g, row, kY, 3);
        connect(boxes, &PointBoxes::typed, this, [this, p] { TypePosition(p); });
        connect(boxes, &PointBoxes::stepped, this, [this, p](int a, int d) { StepPosition(p, a, d); });
    }
    m_centre = WithId(new QPushButton(QStringLiteral("居中"), listener), 1017);
    // The listener's boxes and spin buttons follow, so the next step starts from the centre.
    connect(m_centre, &QPushButton::clicked, this, [this] { MovePoint(kListener, 0.0, 0.0, kSpeakerCount, true); });
    lg->addWidget(m_centre, 1, 5);
    v->addWidget(listener);
    v->addWidget(sources);
    v->addStretch(1);
    auto* bottom = new QHBoxLayout;
    QLabel* unit = IdLabel(QStringLiteral("长度单位:米(m)"), 1019, area);
    unit->setProperty("hint", true);
    m_reset = WithId(new QPushButton(QStringLiteral("全部复位"), area), 1018);
    connect(m_reset, &QPushButton::clicked, this, &CSSVCDlg::ResetAll);
    m_align = new AlignEntry(Context(), this);
    bottom->addWidget(unit, 1);
    bottom->addWidget(m_align->Button());
    bottom->addWidget(m_reset);
    v->addLayout(bottom);
    return area;
}

void CSSVCDlg::MovePoint(int p, double x, double y, int listenerReach, bool show) {
    if (RefuseLocked()) return;
    // A dragged point's spin buttons start from the tenth its box shows.
    if (show)
        for (int a = 0; a < 2; ++a) Points(p).Show(a, a == kX ? x : y);
    m_panel->SetPoint(p, x, y);
    ApplySpeakerPoint(Context().Device(), p, x, y, listenerReach);
    m_align->Refresh();
}

double CSSVCDlg::StoredPosition(int p, int axis) { return PositionSetting(p, axis).read(Context().Device()); }

void CSSVCDlg::TypePosition(int p) {
    if (p < 0 || p >= kPoints || RefuseLocked()) return;
    const auto typed = Points(p).ReadBoth(Context());
    double v[2];
    for (int a = 0; a < 2; ++a) {
        // A refused box sends nothing: both boxes show the point as it stands.
        const double half = RoomSpin(a)->Position() * 0.5;
        v[a] = typed ? std::clamp((*typed)[static_cast<std::size_t>(a)], -half, half) : StoredPosition(p, a);
        typed ? Points(p).Show(a, v[a]) : Points(p).ShowText(a, v[a]);
    }
    if (typed) MovePoint(p, v[kX], v[kY], kListenerTypedReach, false);
}

void CSSVCDlg::StepPosition(int p, int axis, int delta) {
    if (RefuseLocked()) return;
    const double stepped = Points(p).StepAxis(axis, delta);
    Edit(p, axis)->setFocus();
    // The other box as it reads; a text that is not a position is put back to the stored one.
    const double other = Points(p).ReadOr(1 - axis, Context(), StoredPosition(p, 1 - axis));
    MovePoint(p, axis == kX ? stepped : other, axis == kY ? stepped : other, kListenerTypedReach, false);
}

void CSSVCDlg::ResetAll() {
    if (RefuseLocked()) return;
    // Every speaker level and position is lost: asked, with No as the default.
    if (!Context().AskDestructive(Context().Text("提示", "Information"),
                                  Context().Text("您确定将全部扬声器复位吗?", "Are you sure reset all speakers?")))
        return;
    ResetSpeakers(Context().Device());
    Reload();
}

void CSSVCDlg::StepRoom(int axis, int delta) {
    if (RefuseLocked()) return;
    SettingAt(kRoomAddress[axis]).apply(Context().Device(), m_room->StepAxis(axis, delta));
    ShowRoom();
}

void CSSVCDlg::ApplyRoomBoxes() {
    if (RefuseLocked()) return;
    const auto typed = m_room->ReadBoth(Context());
    // A refused box sends nothing: both boxes show the room as it stands.
    for (int a = 0; a < 2; ++a)
        m_room->Show(a, typed ? std::round((*typed)[static_cast<std::size_t>(a)]) : RoomSpin(a)->Position());
    if (!typed) return;
    ApplyRoomSize(Context().Device(), RoomSpin(kX)->Position(), RoomSpin(kY)->Position());
    ShowRoom();
}

void CSSVCDlg::ShowRoom() {
    m_panel->SetRoomSize(RoomSpin(kX)->Position(), RoomSpin(kY)->Position());
    // Tenths of half the room each way; positions already outside stay until they are moved.
    for (int p = 0; p < kPoints; ++p)
        for (int a = 0; a < 2; ++a) Spin(p, a)->SetRange(-RoomSpin(a)->Position() * 5, RoomSpin(a)->Position() * 5);
}

void CSSVCDlg::OnLock(bool locked) {
    m_panel->SetReadOnly(locked);
    for (QWidget* w : findChildren<QLineEdit*>()) SetLockLook(w, locked);
    for (QWidget* w : findChildren<CSpinButtons*>()) SetLockLook(w, locked);
    for (QWidget* b : {m_applyRoom, m_centre, m_reset}) SetLockLook(b, locked);
    m_align->SetLocked(locked);
}

void CSSVCDlg::OnReload() {
    const DeviceContext& d = Context().Device();
    for (int a = 0; a < 2; ++a) m_room->Show(a, std::round(SettingAt(kRoomAddress[a]).read(d)));
    ShowRoom();
    for (int p = 0; p < kPoints; ++p) {
        for (int a = 0; a < 2; ++a) Points(p).Show(a, StoredPosition(p, a));
        m_panel->SetPoint(p, StoredPosition(p, kX), StoredPosition(p, kY));
    }
    m_align->Refresh();
}

void CSSVCDlg::OnRelabel() {
    QStringList names;
    for (int p = 0; p < kPoints; ++p) {
        const QString caption = Context().Text(kInfo[p].chinese, kInfo[p].english);
        m_captions[static_cast<std::size_t>(p)]->setText(caption);
        if (p != kListener) names << QStringLiteral("%1(%2)").arg(caption, QString::fromLatin1(kInfo[p].tag));
    }
    m_panel->SetNames(names);
    m_align->Relabel();
}

bool CSSVCDlg::OnWheel(int steps) {
    // A focused position box steps like its spin control.
    QWidget* focus = QApplication::focusWidget();
    for (int p = 0; p < kPoints; ++p)
        if (const int a = Points(p).AxisOf(focus); a >= 0) {
            StepPosition(p, a, steps);
            return true;
        }
    return false;
}

}  // namespace kv

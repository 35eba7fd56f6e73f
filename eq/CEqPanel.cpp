#include "eq/CEqPanel.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "eq/CEqViewSwitch.h"
#include "eq/CardinalSpline.h"
#include "eq/Crossover.h"
#include "eq/DefaultBands.h"
#include "eq/EqMath.h"
#include "eq/PanelFonts.h"

using kv::eq::BandRecord;
using kv::eq::EqPanelGeometry;
using kv::eq::EqView;
using kv::eq::HeldFrequency;
using kv::eq::kGridPoints;
using kv::eq::TakesGain;

namespace kv {

namespace {

constexpr std::array<const char*, 2 * CEqPanel::kKindCount> kTitles = {
    "音乐均衡",      "Music EQ",       "话筒通道A均衡", "CH A Mic EQ",  "超低均衡",      "SUB EQ",
    "中置均衡",      "Center EQ",      "后置均衡",      "REAR EQ",      "前置均衡",      "MAIN EQ",
    "混响通道A均衡", "CH A Reverb EQ", "回声通道A均衡", "CH A Echo EQ", "话筒通道B均衡", "CH B Mic EQ",
    "混响通道B均衡", "CH B Reverb EQ", "回声通道B均衡", "CH B Echo EQ", "顶置均衡",      "TOP EQ"};

constexpr QRgb kDefaultCurveColor = 0xFF00C8FF;
constexpr QRgb kEchoACurveColor = 0xFF00DC00;
constexpr int kEchoAKind = 7;

constexpr std::array<QRgb, 24> kBandColors = {0xFA64B4, 0xFF50FF, 0x5050FF, 0x50FF64, 0xFFFF64, 0xFF6464,
                                              0xFFB414, 0xFF64B4, 0xB464FF, 0x8CB4FF, 0x14B4FF, 0x50FFFF,
                                              0x28FFA0, 0x145AFA, 0x50FFFF, 0xFFFF14, 0x5064FF, 0x14FF50,
                                              0x50FF28, 0xB4FF14, 0xFF50FF, 0x5078FA, 0xFAFAFA, 0xFA647B};

constexpr std::array<double, 11> kGainLines = {-15, -12, -9, -6, -3, 0, 3, 6, 9, 12, 15};
constexpr std::array<double, 30> kFrequencyLines = {18,   20,   30,   40,   50,   60,   70,   80,    90,    100,
                                                    200,  300,  400,  500,  600,  700,  800,  900,   1000,  2000,
                                                    3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000, 23000};
struct FrequencyLabel {
    double frequency;
    const char* text;
};
constexpr std::array<FrequencyLabel, 10> kFrequencyLabels = {{{20, "20Hz"},
                                                              {50, "50Hz"},
                                                              {100, "100Hz"},
                                                              {200, "200Hz"},
                                                              {500, "500Hz"},
                                                              {1000, "1kHz"},
                                                              {2000, "2kHz"},
                                                              {5000, "5kHz"},
                                                              {10000, "10kHz"},
                                                              {20000, "20kHz"}}};

constexpr float kDefaultQ = 1.41f;
constexpr float kPassQ = 0.7f;
constexpr double kHitLeft = 10.0;
constexpr double kHitWide = 16.0;
constexpr double kRightDragScalePass = 80.0;
constexpr double kRightDragScaleOther = 12.0;
constexpr float kGainStep = 0.1f;
constexpr float kQStep = 0.01f;

bool IsUserPassOrShelf(int code) { return code >= kv::eq::kCodeLowPass && code <= kv::eq::kCodeHighShelf; }
float MaxQ(int code) { return code == kv::eq::kCodePeaking ? CEqPanel::kMaxPeakingQ : CEqPanel::kMaxOtherQ; }
// Keys and the right drag cap Q at 2 only for the user's pass and shelf kinds.
float MaxEditQ(int code) { return IsUserPassOrShelf(code) ? CEqPanel::kMaxOtherQ : CEqPanel::kMaxPeakingQ; }

// Curves are clipped to the plot. Points far outside it are held just beyond its
// edge, so that paths stay small and a closed spline does not bulge back in.
constexpr int kCurveMargin = 20;
double CurveY(const EqPanelGeometry& g, float db) {
    return std::clamp(g.YOfGain(db), static_cast<double>(g.Top() - kCurveMargin),
                      static_cast<double>(g.Bottom() + kCurveMargin));
}

// printf formatting with the C library, which keeps the sign of a negative zero.
QString Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return QString::fromUtf8(buffer);
}

constexpr QRgb kOtherCurveColor = 0xFFFFA040;
constexpr QRgb kSumCurveColor = 0xFFF0F0F0;
constexpr QRgb kDipColor = 0xFFFF3030;
// Neighbouring phase values further apart than this are a wrap, or a phase turning faster than
// the grid can show (a long delay high up): no line is drawn between them.
constexpr double kPhaseWrapDeg = 90.0;
constexpr double kQuietDb = -80.0;
constexpr std::size_t kRunPoints = 5;
constexpr double kSteepPx = 24.0;  // a segment's rise past which it is drawn one pixel wide

QColor WithAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

}  // namespace

CEqPanel::CEqPanel(QWidget* parent)
    : QWidget(parent),
      m_titleFont(kv::eq::SongFont(13)),
      m_axisFont(kv::eq::ArialFont(8.4)),
      m_markerFont(kv::eq::ArialFont(8.0)),
      m_readoutFont(kv::eq::ArialFont(7.5)),
      m_statusFont(kv::eq::SongFont(12)),
      m_bypassFont(kv::eq::HeiFont(72)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < kMaxBands; ++i) m_bands[static_cast<std::size_t>(i)].index = i;
    m_menuChooser = [this](const QStringList& items, const QPoint& globalPos) {
        QMenu menu(this);
        for (int i = 0; i < items.size(); ++i) menu.addAction(items[i])->setData(kFirstMenuCommand + i);
        const QAction* chosen = menu.exec(globalPos);
        return chosen ? chosen->data().toInt() : 0;
    };
    m_viewSwitch = new CEqViewSwitch(this);
    connect(m_viewSwitch, &CEqViewSwitch::viewChosen, this, &CEqPanel::SetView);
    PlaceViewSwitch();
}

void CEqPanel::SetView(EqView view) {
    m_viewSwitch->SetView(view);
    if (view == m_view) return;
    m_view = view;
    m_gridValid = false;
    update();
    Q_EMIT viewChanged(view);
}

void CEqPanel::SetListenerSum(ListenerSum source) {
    m_listenerSum = std::move(source);
    m_sum = {};
    ListenerSumChanged();
}

void CEqPanel::ListenerSumChanged() {
    m_complexValid = false;
    m_gridValid = false;
    update();
}

const kv::eq::CrossoverSum& CEqPanel::ListenerSumNow() const {
    EnsureComplex();
    return m_sum;
}

void CEqPanel::EnsureComplex() const {
    if (m_complexValid) return;
    m_complexValid = true;
    const auto width = static_cast<float>(m_geometry.Width());
    const std::span<const BandRecord> bands(m_bands.data(), static_cast<std::size_t>(m_bandCount));
    const std::vector<kv::eq::Biquad> sections = kv::eq::EqualiserSections(bands, IsSub());
    std::array<double, kGridPoints> frequencies{};
    m_largestDelayMs = 0.0;
    for (int k = 0; k < kGridPoints; ++k) {
        const auto i = static_cast<std::size_t>(k);
        frequencies[i] = kv::eq::GridFrequency(k, width > 0.0f ? width : 1.0f);
        m_complex[i] = kv::eq::ChainAt(sections, frequencies[i]);
        m_largestDelayMs = std::max(m_largestDelayMs, kv::eq::GroupDelayMsOf(m_complex[i]));
    }
    for (int b = 0; b < m_bandCount; ++b)
        m_markerPoints[static_cast<std::size_t>(b)] = kv::eq::ChainAt(sections, Band(b).frequency);
    if (m_listenerSum) {
        m_sum = m_listenerSum(m_complex, frequencies);
        for (const auto& p : m_sum.other) m_largestDelayMs = std::max(m_largestDelayMs, kv::eq::GroupDelayMsOf(p));
        // Not the sum's: it spikes where the two cancel and would flatten every other curve.
    } else {
        m_sum = {};
    }
}

double CEqPanel::ValueOf(const kv::eq::ComplexPoint& p) const {
    switch (m_view) {
        case EqView::Phase:
            return kv::eq::PhaseDegOf(p);
        case EqView::GroupDelay:
            return kv::eq::GroupDelayMsOf(p);
        case EqView::Magnitude:
            break;
    }
    return kv::eq::MagnitudeDbOf(p);
}

kv::eq::ValueAxis CEqPanel::Axis() const {
    switch (m_view) {
        case EqView::Phase:
            return kv::eq::PhaseAxis();
        case EqView::GroupDelay:
            EnsureComplex();
            return kv::eq::GroupDelayAxis(m_largestDelayMs);
        case EqView::Magnitude:
            break;
    }
    return kv::eq::MagnitudeAxis();
}

double CEqPanel::CurveValue(int k) const {
    EnsureComplex();
    return ValueOf(m_complex[static_cast<std::size_t>(std::clamp(k, 0, kGridPoints - 1))]);
}

QPointF CEqPanel::MarkerCentre(int index) const {
    const BandRecord& band = Band(index);
    const double x = m_geometry.XOfFrequency(band.frequency);
    if (m_view == EqView::Magnitude) return {x, m_geometry.YOfGain(band.gain)};
    EnsureComplex();
    // The response is kept, not one view's value of it: after a switch of view it reads anew.
    const double y = m_geometry.YOfValue(ValueOf(m_markerPoints[static_cast<std::size_t>(index)]), Axis());
    return {x, std::clamp(y, static_cast<double>(m_geometry.Top()), static_cast<double>(m_geometry.Bottom()))};
}

void CEqPanel::PlaceViewSwitch() {
    // Inside the plot's top-right corner: the top margin holds the status line and the title.
    m_viewSwitch->adjustSize();
    const EqPanelGeometry g(width(), height());
    m_viewSwitch->move(std::max(g.Left(), g.Right() - m_viewSwitch->width() - 4), g.Top() + 4);
}

QString CEqPanel::KindTitle(int kind, int language) {
    if (kind < 0 || kind >= kKindCount) return {};
    return QString::fromUtf8(kTitles[static_cast<std::size_t>(kind * 2 + (language ? 1 : 0))]);
}

QRgb CEqPanel::KindCurveColor(int kind) { return kind == kEchoAKind ? kEchoACurveColor : kDefaultCurveColor; }

QColor CEqPanel::BandColor(int index) {
    const auto n = static_cast<int>(kBandColors.size());
    return QColor::fromRgb(kBandColors[static_cast<std::size_t>(((index % n) + n) % n)]);
}

QStringList CEqPanel::MenuItems() const {
    if (m_language == 1) return {"PEQ", "LP", "HP", "LS", "HS"};
    return {QStringLiteral("参量(PEQ)"), QStringLiteral("低通(LP)"), QStringLiteral("高通(HP)"),
            QStringLiteral("低架(LS)"), QStringLiteral("高架(HS)")};
}

// ---- parent operations ----

void CEqPanel::SetBandCount(int count) {
    count = std::clamp(count, 0, kMaxBands);
    m_bandCount = count;
    kv::eq::FillDefaultBands(std::span(m_bands).first(static_cast<std::size_t>(count)));
    for (int i = 0; i < count; ++i) m_bands[static_cast<std::size_t>(i)].index = i;
    m_complexValid = false;
    if (m_selected >= count) m_selected = -1;
    if (m_hover >= count) m_hover = -1;
    EvaluateAllBands();
    update();
}

void CEqPanel::SetKind(int kind) {
    m_kind = std::clamp(kind, 0, kKindCount - 1);
    m_curveColor = KindCurveColor(m_kind);
    m_gridValid = false;
    m_complexValid = false;
    PlaceViewSwitch();
    update();
}

void CEqPanel::SetLanguage(int language) {
    m_language = language ? 1 : 0;
    m_gridValid = false;
    m_viewSwitch->SetLanguage(m_language);
    PlaceViewSwitch();
    update();
}

void CEqPanel::SetBypass(bool bypass) {
    m_bypass = bypass;
    update();
}

void CEqPanel::SetSelectedBand(int index) {
    m_selected = IsValidBand(index) ? index : -1;
    update();
}

void CEqPanel::SetCode(int index, int code) {
    if (!IsValidBand(index)) return;
    Band(index).code = code;
    if (code == kv::eq::kCodePeaking) {
        SetQ(index, kDefaultQ);
    } else if (IsUserPassOrShelf(code)) {
        SetGain(index, 0.0);
        SetQ(index, kPassQ);
    }
    EvaluateBand(index);
    update();
}

void CEqPanel::SetGain(int index, double gainDb) {
    if (!IsValidBand(index)) return;
    BandRecord& band = Band(index);
    if (band.code == kv::eq::kCodeLowPass || band.code == kv::eq::kCodeHighPass || band.code > kv::eq::kCodeHighShelf) {
        gainDb = 0.0;
    }
    band.gain = static_cast<float>(std::clamp(gainDb, EqPanelGeometry::kMinGain, EqPanelGeometry::kMaxGain));
    EvaluateBand(index);
    update();
}

void CEqPanel::SetQ(int index, double q) {
    if (!IsValidBand(index) || std::fabs(q) < 1e-7) return;
    BandRecord& band = Band(index);
    band.q = static_cast<float>(std::clamp(q, static_cast<double>(kMinQ), static_cast<double>(MaxQ(band.code))));
    EvaluateBand(index);
    update();
}

void CEqPanel::ApplyAlignment(int row, int alignmentIndex) {
    if (!IsSub() || m_bandCount < kv::eq::kCrossoverBands) return;
    kv::eq::ApplyAlignment(m_bands, row, alignmentIndex);
    EvaluateBand(row);
    update();
}

void CEqPanel::SyncGeometry() {
    // A hidden panel gets its resize event only when shown; pages fill bands before that.
    if (size() == m_geometrySize) return;
    m_geometrySize = size();
    m_geometry = EqPanelGeometry(width(), height());
    m_gridValid = false;
    m_complexValid = false;
    // The grid and the pinned point depend on the plot width.
    for (int i = 0; i < kMaxBands; ++i) UpdateMarker(i);
    for (int i = 0; i < m_bandCount; ++i) EvaluateWithCurrentGeometry(i);
}

void CEqPanel::EvaluateBand(int index) {
    if (index < 0 || index >= kMaxBands) return;
    SyncGeometry();
    EvaluateWithCurrentGeometry(index);
}

void CEqPanel::EvaluateWithCurrentGeometry(int index) {
    UpdateMarker(index);
    m_complexValid = false;
    const auto width = static_cast<float>(m_geometry.Width());
    if (width <= 0.0f) return;  // no plot yet: evaluated again on the first resize
    if (IsCrossoverRow(index)) {
        kv::eq::EvaluateCrossoverRow(m_bands, index, width);
    } else {
        kv::eq::EvaluateBand(Band(index), width);
    }
}

void CEqPanel::EvaluateAllBands() {
    for (int i = 0; i < m_bandCount; ++i) EvaluateBand(i);
}

void CEqPanel::UpdateMarker(int index) {
    BandRecord& band = Band(index);
    band.x = static_cast<float>(m_geometry.XOfFrequency(band.frequency) - m_geometry.Left());
    band.y = static_cast<float>(m_geometry.YOfGain(band.gain) - m_geometry.Top());
}

void CEqPanel::ClampBand(BandRecord& band) const {
    band.gain = std::clamp(band.gain, band.minGain, band.maxGain);
    band.frequency = std::clamp(band.frequency, band.minFrequency, band.maxFrequency);
}

void CEqPanel::EditDone(int index) {
    EvaluateBand(index);
    Q_EMIT bandChanged(index);
    update();
}

void CEqPanel::ChooseMenuCommand(int command) {
    if (m_readOnly) return;
    if (command < kFirstMenuCommand || command > kLastMenuCommand || !IsValidBand(m_selected)) return;
    const int code = command - (kFirstMenuCommand - 1);
    if (IsCrossoverRow(m_selected)) {
        // A row's kind sets its four codes only; the row keeps its gain.
        kv::eq::SetRowCodes(m_bands, m_selected, kv::eq::MenuKindCodes(code));
    } else {
        SetCode(m_selected, code);
    }
    EditDone(m_selected);
}

void CEqPanel::OpenContextMenu(const QPoint& globalPos) {
    if (!m_menuChooser) return;
    ChooseMenuCommand(m_menuChooser(MenuItems(), globalPos));
}

// ---- input ----

bool CEqPanel::IsCrossoverRow(int index) const {
    return IsSub() && index < kv::eq::kCrossoverRows && m_bandCount >= kv::eq::kCrossoverBands;
}

int CEqPanel::MarkerCount() const { return IsSub() ? std::min(m_bandCount, kv::eq::kCrossoverRows) : m_bandCount; }

int CEqPanel::HitTest(QPointF pos, Button button) const {
    const double px = pos.x() - EqPanelGeometry::kInsetLeft;
    const double py = pos.y() - EqPanelGeometry::kPointerTop;
    const double reach = button == Button::Left ? kHitLeft : kHitWide;
    int hit = -1;
    for (int i = 0; i < MarkerCount(); ++i) {
        const BandRecord& band = Band(i);
        if (button != Button::Right && band.code == kv::eq::kCodeOff) continue;
        const double bandY = MarkerCentre(i).y() - m_geometry.Top();
        if (std::fabs(band.x - px) < reach && std::fabs(bandY - py) < reach) {
            hit = i;
            if (button != Button::Hover) break;  // presses take the first, hovering the last
        }
    }
    return hit;
}

void CEqPanel::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    m_leftDrag = m_rightDrag = false;
    update();
}

void CEqPanel::mousePressEvent(QMouseEvent* event) {
    // A press selects and sends the band, so a locked panel takes none.
    if (m_readOnly) {
        event->ignore();
        return;
    }
    SyncGeometry();
    const QPointF pos = event->position();
    if (event->button() == Qt::LeftButton) {
        if (m_rightDrag) return;
        setFocus(Qt::MouseFocusReason);
        m_leftDrag = true;
        m_selected = HitTest(pos, Button::Left);
        if (m_selected >= 0) {
            const BandRecord& band = Band(m_selected);
            m_grab = QPoint(static_cast<int>(pos.x() - EqPanelGeometry::kInsetLeft - band.x),
                            static_cast<int>(pos.y() - EqPanelGeometry::kPointerTop -
                                             (MarkerCentre(m_selected).y() - m_geometry.Top())));
            Q_EMIT bandChanged(m_selected);
        }
    } else if (event->button() == Qt::RightButton) {
        if (m_leftDrag) return;
        m_rightDrag = true;
        m_moved = false;
        m_selected = HitTest(pos, Button::Right);
        if (m_selected >= 0) {
            m_lastX = pos.x() - EqPanelGeometry::kInsetLeft;
            Q_EMIT bandChanged(m_selected);
        }
    }
    update();
}

void CEqPanel::mouseMoveEvent(QMouseEvent* event) {
    SyncGeometry();
    const QPointF pos = event->position();
    const double px = pos.x() - EqPanelGeometry::kInsetLeft;
    const double py = pos.y() - EqPanelGeometry::kPointerTop;
    if (m_leftDrag && m_selected >= 0) {
        BandRecord& band = Band(m_selected);
        band.frequency = static_cast<float>(m_geometry.FrequencyAtPointer(pos.x()));
        if (m_view != EqView::Magnitude) {
            // Only the magnitude view plots gain: elsewhere a drag moves the frequency alone.
            if (!TakesGain(band.code)) band.gain = 0.0f;
        } else if (TakesGain(band.code)) {
            const double gain = m_geometry.GainAtPlotY(py - m_grab.y());
            band.gain = static_cast<float>(std::round(gain * 10.0) / 10.0);
        } else {
            band.gain = 0.0f;
        }
        ClampBand(band);
        EditDone(m_selected);
    } else if (m_rightDrag && m_selected >= 0) {
        BandRecord& band = Band(m_selected);
        if (std::fabs(px - band.x) > 1.0 && std::fabs(py - band.y) > 1.0) m_moved = true;
        const bool pass = IsUserPassOrShelf(band.code);
        const double scale = pass ? kRightDragScalePass : kRightDragScaleOther;
        const double q = band.q + (px - m_lastX) / scale;
        band.q =
            static_cast<float>(std::clamp(q, static_cast<double>(kMinQ), static_cast<double>(MaxEditQ(band.code))));
        m_lastX = px;
        EditDone(m_selected);
    } else if (!m_leftDrag && !m_rightDrag) {
        const int hover = HitTest(pos, Button::Hover);
        if (hover == m_hover) return;  // nothing drawn depends on the pointer otherwise
        m_hover = hover;
    }
    update();
}

void CEqPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_leftDrag) {
        m_leftDrag = false;
        if (m_selected >= 0) {
            Q_EMIT bandChanged(m_selected);
        } else {
            Q_EMIT noBand();
        }
    } else if (event->button() == Qt::RightButton && m_rightDrag) {
        m_rightDrag = false;
        if (m_selected >= 0) Q_EMIT bandChanged(m_selected);
        if (!m_moved) OpenContextMenu(event->globalPosition().toPoint());
    }
    update();
}

void CEqPanel::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    // A notch while the pointer merely passes over the panel is the page's, not the band's.
    if (m_readOnly || !hasFocus() || m_selected < 0 || !TakesGain(Band(m_selected).code) || delta == 0) {
        event->ignore();
        return;
    }
    BandRecord& band = Band(m_selected);
    band.gain += delta > 0 ? kGainStep : -kGainStep;
    band.gain = std::clamp(band.gain, band.minGain, band.maxGain);
    EditDone(m_selected);
    event->accept();
}

bool CEqPanel::event(QEvent* event) {
    // With the focus the panel takes every key, Tab included, like its editor always has.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!m_readOnly) HandleKey(key->key(), key->modifiers());
        return true;
    }
    return QWidget::event(event);
}

void CEqPanel::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
    if (m_selected < 0) return;
    BandRecord& band = Band(m_selected);
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    switch (key) {
        case Qt::Key_Left:
            band.frequency -= 1.0f;
            break;
        case Qt::Key_Right:
            band.frequency += 1.0f;
            break;
        case Qt::Key_Up:
            if (TakesGain(band.code)) band.gain += kGainStep;
            break;
        case Qt::Key_Down:
            if (TakesGain(band.code)) band.gain -= kGainStep;
            break;
        case Qt::Key_Plus:
            if (!keypad) return;
            band.q += kQStep;
            break;
        case Qt::Key_Minus:
            if (!keypad) return;
            band.q -= kQStep;
            break;
        default:
            return;
    }
    band.q = std::clamp(band.q, kMinQ, MaxEditQ(band.code));
    ClampBand(band);
    EditDone(m_selected);
}

void CEqPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SyncGeometry();
    PlaceViewSwitch();
}

// ---- painting ----

void CEqPanel::EnsureGridCache() {
    const qreal dpr = devicePixelRatioF();
    const kv::eq::ValueAxis axis = Axis();
    if (m_gridValid && m_gridAxis == axis && m_gridCache.devicePixelRatio() == dpr &&
        m_gridCache.size() == size() * dpr) {
        return;
    }
    m_gridCache = QPixmap(size() * dpr);
    m_gridCache.setDevicePixelRatio(dpr);
    QPainter painter(&m_gridCache);
    PaintGrid(painter);
    m_gridValid = true;
    m_gridAxis = axis;
}

void CEqPanel::PaintGrid(QPainter& painter) const {
    const EqPanelGeometry& g = m_geometry;
    painter.fillRect(rect(), QColor(20, 20, 20));

    painter.setFont(m_titleFont);
    painter.setPen(QColor(255, 255, 0));
    const QFontMetrics titleMetrics(m_titleFont);
    const QString title = KindTitle(m_kind, m_language);
    const int titleRight = g.Right() - 2;
    const int titleBottom = g.Top() - 1;
    painter.drawText(titleRight - titleMetrics.horizontalAdvance(title), titleBottom - titleMetrics.descent(), title);

    // Each view's value lines with their labels.
    std::vector<std::pair<double, QString>> lines;
    if (m_view == EqView::Magnitude) {
        // The 0 dB line has always been labelled "-0dB": its value is a negative zero.
        for (double gain : kGainLines) lines.emplace_back(gain, Format("%+-.0fdB", gain == 0.0 ? -0.0 : gain));
    } else {
        const kv::eq::ValueAxis axis = Axis();
        const int count = static_cast<int>(std::lround((axis.high - axis.low) / axis.step));
        for (int i = 0; i <= count; ++i) {
            const double v = axis.low + axis.step * i;
            const QString text = m_view == EqView::Phase
                                     ? QString::asprintf(v == 0.0 ? "%.0f°" : "%+.0f°", v)
                                     : QString::asprintf(v == 0.0 ? "%.*fms" : "%+.*fms", axis.decimals, v);
            lines.emplace_back(v, text);
        }
    }
    // The widest labels ("+15dB") must not run off the panel's left edge.
    const int labelWidth = g.Left() - 3;
    QStringList labels;
    for (const auto& line : lines) labels << line.second;
    painter.setFont(kv::eq::FittingFont(m_axisFont, labels, labelWidth));
    const QFontMetrics axisMetrics(painter.font());
    const kv::eq::ValueAxis axis = Axis();
    for (const auto& [value, label] : lines) {
        const double at = m_view == EqView::Magnitude ? g.YOfGain(value) : g.YOfValue(value, axis);
        const int y = static_cast<int>(std::lround(at));
        // The zero line of phase and delay stands out, as 0 dB stands in the middle.
        const bool zero = m_view != EqView::Magnitude && value == 0.0;
        painter.setPen(QPen(zero ? QColor(96, 96, 96) : QColor(64, 64, 64), 1));
        painter.drawLine(g.Left(), y, g.Right(), y);
        painter.setPen(QColor(128, 128, 128));
        painter.drawText(QRect(0, y - axisMetrics.height() / 2, labelWidth, axisMetrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, label);
    }
    if (m_view != EqView::Magnitude) {
        // What the axis is, inside the plot's top-left corner.
        const QString name = m_view == EqView::Phase
                                 ? (m_language ? QStringLiteral("Phase (°)") : QStringLiteral("相位 (°)"))
                                 : (m_language ? QStringLiteral("Group delay (ms)") : QStringLiteral("群延时 (ms)"));
        painter.setFont(m_axisFont);
        painter.setPen(QColor(160, 160, 160));
        painter.drawText(QRect(g.Left() + 4, g.Top() + 2, 200, QFontMetrics(m_axisFont).height()),
                         Qt::AlignLeft | Qt::AlignTop, name);
    }
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    for (double f : kFrequencyLines) {
        const int x = static_cast<int>(std::lround(g.XOfFrequency(f)));
        painter.drawLine(x, g.Top() + 1, x, g.Bottom());
    }
    painter.setPen(QColor(128, 128, 128));
    painter.setFont(m_axisFont);
    const int labelHeight = QFontMetrics(m_axisFont).height();
    for (const FrequencyLabel& label : kFrequencyLabels) {
        const int x = static_cast<int>(std::lround(g.XOfFrequency(label.frequency)));
        painter.drawText(QRect(x - 30, g.Bottom() + 4, 60, labelHeight), Qt::AlignHCenter | Qt::AlignTop,
                         QString::fromLatin1(label.text));
    }
}

void CEqPanel::paintEvent(QPaintEvent*) {
    SyncGeometry();
    EnsureGridCache();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_gridCache);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QRect plot(m_geometry.Left(), m_geometry.Top(), m_geometry.Width(), m_geometry.Height());
    painter.save();
    painter.setClipRect(plot);
    if (m_view == EqView::Magnitude) {
        PaintSelectedShade(painter);
        PaintOverallCurve(painter);
    } else {
        EnsureComplex();
        PaintViewCurve(painter, m_complex, QPen(QColor::fromRgba(m_curveColor), 2.0));
    }
    PaintListenerSum(painter);
    painter.restore();
    PaintMarkers(painter);
    PaintReadout(painter);
    PaintStatus(painter);
    PaintBypass(painter);
}

void CEqPanel::PaintSelectedShade(QPainter& painter) const {
    if (!IsValidBand(m_selected) || m_geometry.Width() <= 0) return;
    const BandRecord& band = Band(m_selected);
    std::array<float, kGridPoints> response = band.response;
    if (IsCrossoverRow(m_selected)) {
        kv::eq::RowResponse(std::span<const BandRecord>(m_bands.data(), m_bandCount), m_selected, response);
    }
    const EqPanelGeometry& g = m_geometry;
    std::array<QPointF, kGridPoints + 2> points;
    for (int k = 1; k <= kGridPoints; ++k) {
        points[static_cast<std::size_t>(k)] = QPointF(g.XOfGridPoint(k), CurveY(g, response[k - 1]));
    }
    if (kv::eq::IsPassFilterCode(band.code)) {
        const double floor = g.Bottom() + kCurveMargin;  // shade down past the plot
        points.front() = QPointF(points[1].x(), floor);
        points.back() = QPointF(points[kGridPoints].x(), floor);
    } else {
        points.front() = QPointF(g.Left(), g.YOfGain(0.0));
        points.back() = QPointF(g.Right(), g.YOfGain(0.0));
    }
    const QPainterPath path = kv::eq::CardinalSplinePath(points, 0.5, true);
    painter.fillPath(path, WithAlpha(BandColor(m_selected), 0x20));
}

void CEqPanel::PaintOverallCurve(QPainter& painter) const {
    if (m_geometry.Width() <= 0) return;
    std::array<float, kGridPoints> sum{};
    kv::eq::SumResponses(std::span<const BandRecord>(m_bands.data(), m_bandCount), sum);
    std::array<QPointF, kGridPoints> points;
    for (int k = 0; k < kGridPoints; ++k) {
        points[static_cast<std::size_t>(k)] = QPointF(m_geometry.XOfGridPoint(k), CurveY(m_geometry, sum[k]));
    }
    painter.setPen(QPen(QColor::fromRgba(m_curveColor), 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(kv::eq::CardinalSplinePath(points, 0.1, false));
}

void CEqPanel::PaintMarkers(QPainter& painter) const {
    painter.setFont(m_markerFont);
    for (int i = 0; i < MarkerCount(); ++i) {
        const BandRecord& band = Band(i);
        if (band.code == kv::eq::kCodeOff) continue;
        const QPointF centre = MarkerCentre(i);
        const QColor color = BandColor(i);
        const bool selected = i == m_selected;
        const QColor fill = WithAlpha(color, selected ? 0x50 : 0x25);
        if (band.code == kv::eq::kCodePeaking) {
            painter.setPen(QPen(WithAlpha(color, 0x7F), 2.0));
            painter.setBrush(Qt::NoBrush);
            const QRectF ring(centre.x() - 9, centre.y() - 9, 18, 18);
            // Clockwise arcs from 15 and 195 degrees; Qt counts angles anticlockwise in 1/16ths.
            painter.drawArc(ring, -15 * 16, -150 * 16);
            painter.drawArc(ring, -195 * 16, -150 * 16);
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            painter.drawEllipse(centre, 7.0, 7.0);
        } else {
            QPen pen(WithAlpha(color, 0x7F), 1.5, Qt::DashLine);
            painter.setPen(pen);
            painter.setBrush(fill);
            painter.drawRect(QRectF(centre.x() - 7, centre.y() - 7, 14, 14));
            if (selected) {
                painter.setPen(QPen(QColor(255, 0, 0), 1.0, Qt::DashLine));
                painter.drawLine(QPointF(centre.x(), m_geometry.Top()), QPointF(centre.x(), m_geometry.Bottom()));
            }
        }
        painter.setPen(color);
        painter.drawText(QRectF(centre.x() - 10, centre.y() - 8, 20, 16), Qt::AlignCenter, QString::number(i + 1));
    }
    painter.setBrush(Qt::NoBrush);
}

std::array<QString, 3> CEqPanel::ReadoutValues(int index) const {
    const BandRecord& band = Band(index);
    return {Format("%.0fHz", HeldFrequency(band.frequency)), Format("%+-.1fdB", band.gain), Format("%.2f", band.q)};
}

void CEqPanel::PaintReadout(QPainter& painter) const {
    const int index = m_hover >= 0 && IsValidBand(m_hover) ? m_hover : m_selected;
    if (!IsValidBand(index)) return;
    const BandRecord& band = Band(index);
    const QPointF centre = MarkerCentre(index);
    const bool above = m_view == EqView::Magnitude ? band.gain < -0.01f : centre.y() > m_geometry.Top() + 50;
    const std::array<QString, 3> labels = {"F:", "G:", "Q:"};
    const std::array<QString, 3> values = ReadoutValues(index);
    const QFontMetrics metrics(m_readoutFont);
    int labelWidth = 0, valueWidth = 0;
    for (std::size_t l = 0; l < 3; ++l) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(labels[l]));
        valueWidth = std::max(valueWidth, metrics.horizontalAdvance(values[l]));
    }
    std::vector<std::array<double, 2>> others;
    for (int i = 0; i < MarkerCount(); ++i)
        if (i != index && Band(i).code != kv::eq::kCodeOff) {
            const QPointF c = MarkerCentre(i);
            others.push_back({c.x(), c.y()});
        }
    const kv::eq::ReadoutPlacement place =
        m_geometry.PlaceReadout(centre.x(), centre.y(), above, metrics.height(), labelWidth, valueWidth, others);
    painter.setFont(m_readoutFont);
    for (std::size_t l = 0; l < 3; ++l) {
        painter.setPen(QColor(180, 180, 180));
        painter.drawText(QRectF(place.labelLeft, place.tops[l], labelWidth, metrics.height()),
                         Qt::AlignRight | Qt::AlignTop, labels[l]);
        painter.setPen(QColor(16, 255, 16));
        painter.drawText(QRectF(place.valueLeft, place.tops[l], valueWidth + 1, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop, values[l]);
    }
}

void CEqPanel::PaintStatus(QPainter& painter) const {
    if (!IsValidBand(m_selected)) return;
    const BandRecord& band = Band(m_selected);
    const QString head = m_language == 1
                             ? QString::asprintf("Index=%d     Frequency=%.0fHz    Q=%.2f     Gain=", m_selected + 1,
                                                 HeldFrequency(band.frequency), band.q)
                             : QString::asprintf("EQ号=%d    频率=%.0fHz    Q值=%.2f     增益=", m_selected + 1,
                                                 HeldFrequency(band.frequency), band.q);
    const QString gain = Format("%+-.1fdB ", band.gain);
    const float magnitude = std::fabs(band.gain);
    const QColor gainColor = magnitude <= 6.0f   ? QColor(0, 255, 0)
                             : magnitude < 10.1f ? QColor(255, 255, 0)
                                                 : QColor(255, 0, 0);
    painter.setFont(m_statusFont);
    const QFontMetrics metrics(m_statusFont);
    const int baseline = 3 + metrics.ascent();
    painter.setPen(QColor(0, 255, 0));
    painter.drawText(EqPanelGeometry::kInsetLeft, baseline, head);
    painter.setPen(gainColor);
    painter.drawText(EqPanelGeometry::kInsetLeft + metrics.horizontalAdvance(head), baseline, gain);
}

void CEqPanel::PaintViewCurve(QPainter& painter, std::span<const kv::eq::ComplexPoint> points, const QPen& pen) const {
    if (m_geometry.Width() <= 0 || points.size() < kGridPoints) return;
    const kv::eq::ValueAxis axis = Axis();
    const auto low = static_cast<double>(m_geometry.Top() - kCurveMargin);
    const auto high = static_cast<double>(m_geometry.Bottom() + kCurveMargin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QPen steep = pen;
    steep.setWidthF(1.0);
    std::vector<QPointF> piece;
    piece.reserve(kGridPoints);
    const auto flush = [&] {
        // In short runs: the antialiased stroke of one long zigzag (the comb of a delayed sum)
        // costs the raster engine many times what the same segments cost a few at a time. A
        // run that climbs or falls steeply (a delayed path's phase) is drawn one pixel wide,
        // which the engine antialiases at a fraction of a wider stroke's cost.
        for (std::size_t from = 0; from + 1 < piece.size(); from += kRunPoints - 1) {
            const std::size_t count = std::min(kRunPoints, piece.size() - from);
            double steepest = 0.0;
            for (std::size_t i = from + 1; i < from + count; ++i)
                steepest = std::max(steepest, std::fabs(piece[i].y() - piece[i - 1].y()));
            painter.setPen(steepest < kSteepPx ? pen : steep);
            painter.drawPolyline(piece.data() + from, static_cast<int>(count));
        }
        painter.setPen(pen);
        piece.clear();
    };
    double last = 0.0;
    for (int k = 0; k < kGridPoints; ++k) {
        const kv::eq::ComplexPoint& point = points[static_cast<std::size_t>(k)];
        // Where a path is this far down its phase is noise: nothing is drawn.
        const double v = ValueOf(point);
        if (kv::eq::MagnitudeDbOf(point) < kQuietDb || !std::isfinite(v)) {
            flush();
            continue;
        }
        // A wrapped phase starts a new piece instead of a line across the plot.
        if (m_view == EqView::Phase && !piece.empty() && std::fabs(v - last) > kPhaseWrapDeg) flush();
        piece.emplace_back(m_geometry.XOfGridPoint(k), std::clamp(m_geometry.YOfValue(v, axis), low, high));
        last = v;
    }
    flush();
}

void CEqPanel::PaintListenerSum(QPainter& painter) const {
    if (!m_listenerSum) return;
    EnsureComplex();
    if (m_sum.other.size() < kGridPoints || m_sum.sum.size() < kGridPoints) return;
    const EqPanelGeometry& g = m_geometry;
    PaintViewCurve(painter, m_sum.other, QPen(QColor::fromRgba(kOtherCurveColor), 1.5));
    PaintViewCurve(painter, m_sum.sum, QPen(QColor::fromRgba(kSumCurveColor), 1.5));
    painter.setFont(m_axisFont);
    const QFontMetrics metrics(m_axisFont);
    const int line = metrics.height();
    // The legend under the axis name (or where it would stand).
    const int left = g.Left() + 4;
    int top = g.Top() + 2 + line;
    const QString legend[2] = {m_language ? QStringLiteral("MAIN at the listener") : QStringLiteral("前置 (听众处)"),
                               m_language ? QStringLiteral("SUB + MAIN sum") : QStringLiteral("超低 + 前置 叠加")};
    const QRgb colors[2] = {kOtherCurveColor, kSumCurveColor};
    for (int i = 0; i < 2; ++i, top += line) {
        painter.setPen(QPen(QColor::fromRgba(colors[i]), 1.5));
        painter.drawLine(left, top + line / 2, left + 18, top + line / 2);
        painter.setPen(QColor::fromRgba(colors[i]));
        painter.drawText(QRect(left + 22, top, 240, line), Qt::AlignLeft | Qt::AlignVCenter, legend[i]);
    }
    if (!m_sum.dip) return;
    const kv::eq::SumDip& dip = *m_sum.dip;
    const double x = g.XOfFrequency(dip.frequencyHz);
    const double y = m_view == EqView::Magnitude ? std::clamp(g.YOfGain(dip.sumDb), static_cast<double>(g.Top()),
                                                              static_cast<double>(g.Bottom()))
                                                 : g.Top() + g.Height() * 0.5;
    painter.setPen(QPen(QColor::fromRgba(kDipColor), 1.0, Qt::DashLine));
    painter.drawLine(QPointF(x, g.Top()), QPointF(x, g.Bottom()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(kDipColor));
    const QPointF tip(x, y);
    painter.drawPolygon(QPolygonF{tip, tip + QPointF(-6, -10), tip + QPointF(6, -10)});
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QColor::fromRgba(kDipColor));
    const QString text =
        (m_language ? QStringLiteral("sum dip -%1dB at %2Hz") : QStringLiteral("叠加凹陷 -%1dB @ %2Hz"))
            .arg(dip.lossDb, 0, 'f', 1)
            .arg(dip.frequencyHz, 0, 'f', 0);
    const int width = metrics.horizontalAdvance(text);
    const double textLeft = std::min(x + 8, static_cast<double>(g.Right() - width - 4));
    painter.drawText(QPointF(textLeft, y - 12), text);
}

void CEqPanel::PaintBypass(QPainter& painter) const {
    if (!m_bypass) return;
    painter.setFont(m_bypassFont);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("BYPASS"));
}

}  // namespace kv

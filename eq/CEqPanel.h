#pragma once

#include <QPixmap>
#include <QPoint>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <span>

#include "eq/BandRecord.h"
#include "eq/ComplexResponse.h"
#include "eq/CrossoverSum.h"
#include "eq/EqPanelGeometry.h"

namespace kv {

class CEqViewSwitch;

// The large graphic equaliser: grid, overall curve, the selected band's shaded
// curve, numbered markers, read-out, status line; bands are edited on it with
// the mouse, the wheel, the arrow keys and a context menu.
class CEqPanel : public QWidget {
    Q_OBJECT

public:
    // Message numbers of the two notifications, kept for pages that log or route them.
    static constexpr int kBandChangedMessage = 0x1421;
    static constexpr int kNoBandMessage = 0x1422;
    static constexpr int kMaxBands = 40;
    static constexpr int kKindCount = 12;
    static constexpr int kSubKind = 2;              // the kind whose first bands are crossover rows
    static constexpr int kFirstMenuCommand = 2025;  // PEQ, LP, HP, LS, HS follow
    static constexpr int kLastMenuCommand = 2029;
    static constexpr float kMaxPeakingQ = static_cast<float>(eqband::kMaxPeakingQ);
    static constexpr float kMaxOtherQ = static_cast<float>(eqband::kMaxOtherQ);
    static constexpr float kMinQ = static_cast<float>(eqband::kMinQ);

    // Shows the menu items at a global position and returns the chosen command
    // (kFirstMenuCommand + item) or 0. Replaceable so that tests need no modal loop.
    using MenuChooser = std::function<int(const QStringList& items, const QPoint& globalPos)>;

    // A second output heard with this one (MAIN with SUB): given this panel's response at the
    // grid's frequencies, the two paths at the listener and their sum.
    using ListenerSum = std::function<kv::eq::CrossoverSum(std::span<const kv::eq::ComplexPoint> own,
                                                           std::span<const double> frequencies)>;

    explicit CEqPanel(QWidget* parent = nullptr);

    // Magnitude (the bands' gains, as the box has always shown them), phase or group delay.
    void SetView(kv::eq::EqView view);
    kv::eq::EqView View() const { return m_view; }
    CEqViewSwitch* ViewSwitch() const { return m_viewSwitch; }
    // The axis of the current view (group delay scales to the curve).
    kv::eq::ValueAxis Axis() const;
    // The curve of the current view at grid point k (dB, degrees or ms).
    double CurveValue(int k) const;
    // The other output and the sum drawn over this panel's curve; none without a source.
    void SetListenerSum(ListenerSum source);
    // The sum as last drawn (empty without a source); recomputed when a band changed.
    const kv::eq::CrossoverSum& ListenerSumNow() const;
    // The source's inputs changed outside the panel (the other output, a delay).
    void ListenerSumChanged();

    // Parent operations.
    void SetBandCount(int count);
    int BandCount() const { return m_bandCount; }
    void SetKind(int kind);
    int Kind() const { return m_kind; }
    void SetCode(int index, int code);
    void SetGain(int index, double gainDb);
    void SetQ(int index, double q);
    void ApplyAlignment(int row, int alignmentIndex);
    // Recomputes a band's response (and a crossover row's stages) after a direct write.
    void EvaluateBand(int index);
    void EvaluateAllBands();

    kv::eq::BandRecord& Band(int index) { return m_bands[static_cast<std::size_t>(index)]; }
    const kv::eq::BandRecord& Band(int index) const { return m_bands[static_cast<std::size_t>(index)]; }
    std::span<kv::eq::BandRecord> Bands() { return {m_bands.data(), static_cast<std::size_t>(m_bandCount)}; }

    int SelectedBand() const { return m_selected; }
    void SetSelectedBand(int index);
    int HoverBand() const { return m_hover; }
    int Language() const { return m_language; }
    void SetLanguage(int language);
    bool Bypass() const { return m_bypass; }
    void SetBypass(bool bypass);
    QRgb CurveColor() const { return m_curveColor; }
    const kv::eq::EqPanelGeometry& Geometry() const { return m_geometry; }
    // The read-out's values of a band (frequency, gain, Q) as the box holds them.
    std::array<QString, 3> ReadoutValues(int index) const;

    // While read-only (the window is locked) the panel shows its values but takes no edit.
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_readOnly; }
    void SetMenuChooser(MenuChooser chooser) { m_menuChooser = std::move(chooser); }
    // Applies a context-menu command to the selected band and notifies.
    void ChooseMenuCommand(int command);
    QStringList MenuItems() const;

    static QString KindTitle(int kind, int language);
    static QRgb KindCurveColor(int kind);
    static QColor BandColor(int index);

Q_SIGNALS:
    void bandChanged(int index);
    void noBand();
    void viewChanged(kv::eq::EqView view);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class Button { Left, Right, Hover };

    bool IsSub() const { return m_kind == kSubKind; }
    bool IsValidBand(int index) const { return index >= 0 && index < m_bandCount; }
    // A SUB row that owns hidden crossover stages (only with all their bands present).
    bool IsCrossoverRow(int index) const;
    int MarkerCount() const;  // bands that carry a marker and take hits
    int HitTest(QPointF pos, Button button) const;
    void UpdateMarker(int index);
    void SyncGeometry();
    void EvaluateWithCurrentGeometry(int index);
    void EditDone(int index);  // marker, response, notification, redraw
    void HandleKey(int key, Qt::KeyboardModifiers modifiers);
    void OpenContextMenu(const QPoint& globalPos);
    void ClampBand(kv::eq::BandRecord& band) const;

    void EnsureGridCache();
    void PaintGrid(QPainter& painter) const;
    void PaintSelectedShade(QPainter& painter) const;
    void PaintOverallCurve(QPainter& painter) const;
    void PaintMarkers(QPainter& painter) const;
    void PaintReadout(QPainter& painter) const;
    void PaintStatus(QPainter& painter) const;
    void PaintBypass(QPainter& painter) const;
    void PaintViewCurve(QPainter& painter, std::span<const kv::eq::ComplexPoint> points, const QPen& pen) const;
    void PaintListenerSum(QPainter& painter) const;
    void PlaceViewSwitch();

    // The complex response of the bands (and the listener sum) on the grid, when stale.
    void EnsureComplex() const;
    double ValueOf(const kv::eq::ComplexPoint& p) const;
    // Where a band's marker stands: at its gain in the magnitude view, on the curve otherwise.
    QPointF MarkerCentre(int index) const;

    std::array<kv::eq::BandRecord, kMaxBands> m_bands{};
    int m_bandCount = 10;
    int m_selected = -1;
    int m_hover = -1;
    bool m_leftDrag = false;
    bool m_rightDrag = false;
    bool m_moved = false;
    QPoint m_grab;
    double m_lastX = 0.0;
    bool m_bypass = false;
    bool m_readOnly = false;
    int m_kind = 0;
    int m_language = 0;
    QRgb m_curveColor = 0xFF00C8FF;
    kv::eq::EqPanelGeometry m_geometry;
    QSize m_geometrySize;
    MenuChooser m_menuChooser;

    QPixmap m_gridCache;
    bool m_gridValid = false;
    kv::eq::ValueAxis m_gridAxis;

    kv::eq::EqView m_view = kv::eq::EqView::Magnitude;
    CEqViewSwitch* m_viewSwitch = nullptr;
    ListenerSum m_listenerSum;
    mutable bool m_complexValid = false;
    mutable std::array<kv::eq::ComplexPoint, kv::eq::kGridPoints> m_complex{};
    mutable std::array<kv::eq::ComplexPoint, kMaxBands> m_markerPoints{};  // the response at each band
    mutable kv::eq::CrossoverSum m_sum;
    mutable double m_largestDelayMs = 0.0;
    QFont m_titleFont;
    QFont m_axisFont;
    QFont m_markerFont;
    QFont m_readoutFont;
    QFont m_statusFont;
    QFont m_bypassFont;
};

}  // namespace kv

#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>
#include <array>

#include "eq/BandLimits.h"
#include "eq/SmallEqGeometry.h"

namespace kv {

// Read-only curve of a seven-band equaliser; a click asks the page to open the
// full editor.
class CSmallEqPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBands = 7;
    static constexpr int kPoints = kv::eq::SmallEqGeometry::kPoints;
    static constexpr float kMinGainSetting = static_cast<float>(eqband::kMinGain);
    static constexpr float kMaxGainSetting = static_cast<float>(eqband::kMaxGain);

    struct Band {
        int x = 0;  // marker position, client pixels
        int y = 0;
        int code = 1;
        float frequency = 100.0f;
        float gain = 0.0f;
        float q = 1.414f;
        std::array<float, kPoints> pointY{};  // this band's own curve, at the geometry's PointX
        float minFrequency = static_cast<float>(eqband::kMinFrequency);
        float maxFrequency = static_cast<float>(eqband::kMaxFrequency);
        float minGain = -12.0f;
        float maxGain = 12.0f;
    };

    explicit CSmallEqPanel(QWidget* parent = nullptr);

    void SetFrequency(int band, double freqHz);
    void SetGain(int band, double gainDb);
    // For the code and Q, which the page writes directly before evaluating.
    Band& BandAt(int band) { return m_bands[static_cast<std::size_t>(band)]; }
    const Band& BandAt(int band) const { return m_bands[static_cast<std::size_t>(band)]; }
    void EvaluateBand(int band);
    void EvaluateAll();

    void SetCurveColor(QRgb color);
    QRgb CurveColor() const { return m_curveColor; }
    void SetBypass(bool bypass);
    bool Bypass() const { return m_bypass; }
    bool IsHovered() const { return m_hover; }
    const std::array<QPoint, kPoints>& Curve() {
        SyncGeometry();
        return m_curve;
    }
    const kv::eq::SmallEqGeometry& Geometry() const { return m_geometry; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void UpdateCurve();
    bool SyncGeometry();
    void EvaluateWithCurrentGeometry(int band);
    void EnsureGridCache();

    std::array<Band, kBands> m_bands{};
    std::array<QPoint, kPoints> m_curve{};
    kv::eq::SmallEqGeometry m_geometry;
    QSize m_geometrySize;
    QRgb m_curveColor = 0xFF00C8FF;
    bool m_bypass = false;
    bool m_hover = false;
    bool m_pressed = false;
    QPixmap m_gridCache;
    QFont m_passFont;
};

}  // namespace kv

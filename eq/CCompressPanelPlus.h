#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace kv {

// The static transfer curve of one output's compressor/limiter: output level over input
// level, 1:1 up to the threshold and 1/ratio above it, with "OFF" over it while bypassed.
// The grid and its labels are drawn once per size into a cached picture.
class CCompressPanelPlus : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDefaultThreshold = -15;
    static constexpr int kDefaultFloor = -5;

    explicit CCompressPanelPlus(QWidget* parent = nullptr);

    void SetEnabled(int enabled);
    int Enabled() const { return m_enabled; }
    void SetThreshold(double db);
    double Threshold() const { return m_threshold; }
    void SetFloor(double db);
    double Floor() const { return m_floor; }
    // Stores 1 / ratio as the slope above the threshold.
    void SetRatio(double ratio);
    double SlopeAbove() const { return m_slopeAbove; }
    double SlopeBelow() const { return m_slopeBelow; }
    // Whether the cached grid is ready for the current size (tests and benchmarks).
    bool GridCached() const { return !m_grid.isNull() && m_grid.size() == size() * devicePixelRatioF(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawGrid();

    int m_enabled = 0;
    double m_threshold = kDefaultThreshold;
    double m_floor = kDefaultFloor;
    double m_slopeAbove = 1.0;
    double m_slopeBelow = 1.0;
    QPixmap m_grid;
};

}  // namespace kv

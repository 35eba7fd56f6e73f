#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>
#include <span>
#include <vector>

namespace kv {

// Segmented level meter: bars fall by a segment per tick, peaks hold then fall.
class CPeakMeterCtrl : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxLevel = 230;
    static constexpr int kPeakHoldTicks = 10;
    static constexpr int kDefaultDecayMs = 10;

    explicit CPeakMeterCtrl(QWidget* parent = nullptr, int channels = 8, int segments = 8);

    void SetChannels(int channels);
    int Channels() const { return static_cast<int>(m_channels.size()); }
    void SetSegments(int segments);
    int Segments() const { return m_segments; }
    void SetDecayPeriod(int ms);
    int DecayPeriod() const { return m_timer.interval(); }
    // Off: ticks are driven only through Tick() (tests, paused pages).
    void SetAutoDecay(bool on);
    void SetBackground(const QColor& color);
    void SetHorizontal(bool horizontal);
    void SetPeakAsLine(bool line);

    // Levels of consecutive channels starting at firstChannel.
    void SetLevels(std::span<const int> values, int firstChannel = 0);
    // One decay step.
    void Tick();

    int Level(int channel) const { return m_channels[static_cast<std::size_t>(channel)].level; }
    int Peak(int channel) const { return m_channels[static_cast<std::size_t>(channel)].peak; }
    int HoldCount(int channel) const { return m_channels[static_cast<std::size_t>(channel)].hold; }
    bool IsDecaying() const { return m_decaying; }
    // Segments lit for a level (0..segments).
    int LitSegments(int level) const;
    // Colour of segment i of a bar, lit or not.
    QColor SegmentColor(int segment, bool lit) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Channel {
        int level = kMaxLevel;
        int peak = kMaxLevel;
        int hold = kPeakHoldTicks;
    };
    int LevelStep() const;
    int PeakStep() const;
    void StartDecay();

    std::vector<Channel> m_channels;
    int m_segments;
    QTimer m_timer;
    bool m_autoDecay = true;
    bool m_decaying = false;
    QColor m_background;
    bool m_horizontal = false;
    bool m_peakAsLine = true;
};

}  // namespace kv

#include "eq/CPeakMeterCtrl.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace kv {

CPeakMeterCtrl::CPeakMeterCtrl(QWidget* parent, int channels, int segments)
    : QWidget(parent),
      m_channels(static_cast<std::size_t>(std::max(1, channels))),
      m_segments(std::max(1, segments)),
      m_background(palette().color(QPalette::Button)) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kDefaultDecayMs);
    connect(&m_timer, &QTimer::timeout, this, &CPeakMeterCtrl::Tick);
    // Every bar starts full and falls once, showing the meter is alive.
    StartDecay();
}

void CPeakMeterCtrl::SetChannels(int channels) {
    m_channels.assign(static_cast<std::size_t>(std::max(1, channels)), Channel{});
    StartDecay();
}

void CPeakMeterCtrl::SetSegments(int segments) {
    m_segments = std::max(1, segments);
    update();
}

void CPeakMeterCtrl::SetDecayPeriod(int ms) { m_timer.setInterval(std::max(1, ms)); }

void CPeakMeterCtrl::SetAutoDecay(bool on) {
    m_autoDecay = on;
    if (!on) {
        m_timer.stop();
    } else if (m_decaying) {
        m_timer.start();
    }
}

void CPeakMeterCtrl::SetBackground(const QColor& color) {
    m_background = color;
    update();
}

void CPeakMeterCtrl::SetHorizontal(bool horizontal) {
    m_horizontal = horizontal;
    update();
}

void CPeakMeterCtrl::SetPeakAsLine(bool line) {
    m_peakAsLine = line;
    update();
}

void CPeakMeterCtrl::SetLevels(std::span<const int> values, int firstChannel) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto channel = static_cast<std::size_t>(firstChannel) + i;
        if (firstChannel < 0 || channel >= m_channels.size()) break;
        Channel& c = m_channels[channel];
        c.level = std::clamp(values[i], 0, kMaxLevel);
        if (c.level > c.peak) {
            c.peak = c.level;
            c.hold = kPeakHoldTicks;
        }
    }
    StartDecay();
}

void CPeakMeterCtrl::StartDecay() {
    m_decaying = true;
    if (m_autoDecay) m_timer.start();
    update();
}

int CPeakMeterCtrl::LevelStep() const { return m_segments < 2 ? kMaxLevel * 10 / 100 : kMaxLevel / m_segments; }

int CPeakMeterCtrl::PeakStep() const { return m_segments < 2 ? 5 : kMaxLevel / m_segments / 2; }

void CPeakMeterCtrl::Tick() {
    bool idle = true;
    for (Channel& c : m_channels) {
        if (c.level > 0) c.level = std::max(0, c.level - LevelStep());
        // The peak stays put while its hold runs; the tick that finds it at 1 or 0 lowers it.
        if (c.hold <= 1) c.peak = std::max(0, c.peak - PeakStep());
        if (c.hold > 0) --c.hold;
        if (c.level > 0 || c.peak > 0 || c.hold > 0) idle = false;
    }
    if (idle) {
        m_decaying = false;
        m_timer.stop();
    }
    update();
}

int CPeakMeterCtrl::LitSegments(int level) const {
    int lit = 0;
    while (lit < m_segments && lit * kMaxLevel < m_segments * level) ++lit;  // i < count*level/230
    return lit;
}

QColor CPeakMeterCtrl::SegmentColor(int segment, bool lit) const {
    const bool green = segment * kMaxLevel < m_segments * 180;
    const bool yellow = segment * kMaxLevel < m_segments * 200;
    if (lit) {
        if (green) return QColor(0, 255, 0);
        if (yellow) return QColor(255, 255, 0);
        return QColor(255, 0, 0);
    }
    return yellow ? QColor(2, 60, 2) : QColor(60, 2, 2);
}

void CPeakMeterCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    const int n = Channels();
    const double along = m_horizontal ? width() : height();
    const double across = m_horizontal ? height() : width();
    const double barSpan = across / n;
    const double segSpan = along / m_segments;
    const double gap = std::max(1.0, segSpan * 0.18);
    const QColor peakColor(std::max(0, m_background.red() - 60), std::max(0, m_background.green() - 60),
                           std::max(0, m_background.blue() - 60));
    auto rectFor = [&](int bar, double from, double length) {
        const double a0 = bar * barSpan + 1.0;
        const double a1 = (bar + 1) * barSpan - 1.0;
        if (m_horizontal) return QRectF(from, a0, length, a1 - a0);
        return QRectF(a0, along - from - length, a1 - a0, length);
    };
    for (int bar = 0; bar < n; ++bar) {
        const Channel& c = m_channels[static_cast<std::size_t>(bar)];
        const int lit = LitSegments(c.level);
        for (int s = 0; s < m_segments; ++s) {
            painter.fillRect(rectFor(bar, s * segSpan, segSpan - gap), SegmentColor(s, s < lit));
        }
        if (c.peak > 0) {
            const double pos = std::min(along - 2.0, along * c.peak / kMaxLevel);
            if (m_peakAsLine) {
                painter.fillRect(rectFor(bar, pos - 1.0, 2.0), peakColor);
            } else {
                const int s = std::min(m_segments - 1, LitSegments(c.peak) - 1);
                painter.fillRect(rectFor(bar, s * segSpan, segSpan - gap), SegmentColor(s, true));
            }
        }
    }
}

}  // namespace kv

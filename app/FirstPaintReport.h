#pragma once
// Start-up measurement shared by kv4420 and its bare-window yardstick, so both are
// measured the same way: on the first paint, report the time since KV_T0_NS (wall-clock
// nanoseconds taken just before the process started) and the peak resident memory, then exit.

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace kv {

// Peak resident memory of this process in kB, from the kernel's own account.
inline long PeakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

inline void ReportFirstPaintAndExit() {
    const QByteArray t0 = qgetenv("KV_T0_NS");
    if (!t0.isEmpty()) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const double ms =
            (static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec) - t0.toDouble()) / 1e6;
        std::fprintf(stderr, "first-paint-ms=%.1f peak-rss-kb=%ld\n", ms, PeakResidentKb());
    }
    QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
}

}  // namespace kv

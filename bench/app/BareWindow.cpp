// The yardstick of the start-up measurement: a bare Qt main window of the same size
// that ends after its first paint.

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QStatusBar>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {
long PeakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

class BareWindow : public QMainWindow {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            const QByteArray t0 = qgetenv("KV_T0_NS");
            if (!t0.isEmpty()) {
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                const double ms = (now.tv_sec * 1e9 + now.tv_nsec - t0.toDouble()) / 1e6;
                std::fprintf(stderr, "first-paint-ms=%.1f peak-rss-kb=%ld\n", ms, PeakResidentKb());
            }
            QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
        }
        return QMainWindow::event(e);
    }

private:
    bool m_painted = false;
};
}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    BareWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.statusBar()->showMessage(QStringLiteral("ready"));
    window.resize(1170, 700);
    window.show();
    return application.exec();
}

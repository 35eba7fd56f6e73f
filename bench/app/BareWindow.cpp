// The yardstick of the start-up measurement: a bare Qt main window of the same size
// that ends after its first paint.

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QStatusBar>

#include "app/FirstPaintReport.h"

namespace {
class BareWindow : public QMainWindow {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            kv::ReportFirstPaintAndExit();
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

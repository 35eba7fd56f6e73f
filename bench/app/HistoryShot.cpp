// Saves pictures of the undo buttons with the A/B pane, the history window and the A/B window
// after a few edits, with the simulated box connected:
//   kv4420-history-shot zh|en OUTPUT_DIR
// writes history-buttons, history-window and ab-window pictures, each suffixed with the
// language. Settings and memories go to a throw-away directory.

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUndoView>
#include <cstdio>

#include "ShotSettings.h"
#include "app/AbCompareWindow.h"
#include "app/AbControls.h"
#include "app/AppSettings.h"
#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMFCMyRibbonStatusBar.h"
#include "app/CMainFrame.h"
#include "app/HistoryControls.h"
#include "device/SettingTable.h"
#include "sim/SimBox.h"
#include "ui/AbMemories.h"
#include "ui/UiText.h"

namespace {
constexpr int kFrameWidth = 1170;
constexpr int kFrameHeight = 700;
constexpr int kSettleMs = 300;
constexpr int kGiveUpMs = 30000;
}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kv4420-history-shot zh|en OUTPUT_DIR\n");
        return 2;
    }
    QTemporaryDir settingsDir;
    const bool english = kv::shot::UseThrowAwaySettings(settingsDir, argv[1]) == kv::kLanguageEnglish;
    const QString suffix = english ? QStringLiteral("-en.png") : QStringLiteral("-zh.png");
    const QDir out(QString::fromLocal8Bit(argv[2]));

    const kv::AppOptions options = kv::shot::OnSimulatedBox();
    kv::CKV4420v13App app(options);
    app.Start();
    app.Frame()->resize(kFrameWidth, kFrameHeight);
    app.Frame()->show();

    int failed = 0;
    const auto save = [&](const QPixmap& picture, const char* name) {
        const QString file = out.filePath(QString::fromLatin1(name) + suffix);
        if (!picture.save(file)) ++failed;
        std::printf("%s %dx%d\n", qPrintable(file), picture.width(), picture.height());
    };
    bool done = false;
    QObject::connect(&app.View()->Connection(), &kv::ConnectionLifecycle::accepted, &application, [&] {
        if (std::exchange(done, true)) return;
        QTimer::singleShot(kSettleMs, &application, [&] {
            kv::DeviceContext& dev = app.Device();
            kv::CKV4420v13View& view = *app.View();
            kv::AbControls& ab = *app.Frame()->Ab();
            // Edits as the pages make them: the encoder call, then the step.
            const auto edit = [&](const char* address, double value) {
                kv::FindSetting(address)->apply(dev, value);
                view.Edited();
            };
            edit("mic.level", 42);
            edit("eq.music.3.gain", -4.5);
            edit("reverb.level", 61);
            ab.Store(kv::AbMemories::kA);
            edit("eq.music.3.freq", 800);
            edit("main.comp.ratio", 4.0);
            edit("delay.main.l", 12.5);
            edit("echo.mute", 1);
            ab.Store(kv::AbMemories::kB);
            ab.Switch();
            ab.Switch();
            edit("music.level", 55);
            dev.link.AwaitAnswer();
            view.RefreshFromStore();
            app.View()->Memories().Follow();
            QApplication::processEvents();

            // The right end of the status bar: undo, redo, history, then A/B.
            QStatusBar* bar = app.Frame()->Status();
            QWidget* first = app.Frame()->History()->UndoButton();
            const int left = first->mapTo(bar, QPoint(0, 0)).x() - 8;
            save(bar->grab(QRect(left, 0, bar->width() - left, bar->height())), "history-buttons");

            QUndoView* history = app.Frame()->History()->ShowHistory();
            QApplication::processEvents();
            save(history->grab(), "history-window");

            kv::AbCompareWindow* window = ab.ShowWindow();
            QApplication::processEvents();
            save(window->grab(), "ab-window");
            QApplication::exit(failed);
        });
    });
    QTimer::singleShot(kGiveUpMs, &application, [] { QApplication::exit(3); });
    return application.exec();
}

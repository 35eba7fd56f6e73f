// Saves pictures of the application editing a mode file with no box, and of the question
// asked when a box arrives with other settings:
//   kv4420-offline-shot zh|en WINDOW.png QUESTION.png
// The question is answered No (read the box), so the edits go to memory B in a throw-away
// settings directory; the user's settings and files are not touched.

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "ShotSettings.h"
#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMainFrame.h"
#include "app/ManualHotplugWatcher.h"
#include "device/SettingTable.h"
#include "model/ModeFile.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"
#include "ui/UiText.h"

namespace {

// A prepared room: a fresh box's mode with a few settings moved, as the box would save it.
bool WriteRoomFile(const QString& path) {
    kv::DeviceContext core(kv::MakeSimOpener(std::make_shared<kv::SimBox>()), kv::LinkTimings{},
                           kv::SyncTimings{0, 0, 0, 0});
    if (!core.link.Open()) return false;
    core.sync.StartReadBack([](int) {});
    core.sync.Wait();
    for (auto [address, value] : {std::pair{"music.level", 62.0}, std::pair{"eq.music.3.gain", -4.5},
                                  std::pair{"eq.music.5.gain", 3.0}, std::pair{"reverb.level", 40.0}})
        kv::FindSetting(address)->apply(core, value);
    core.link.AwaitAnswer();
    core.link.Close(true);
    return kv::WriteModeFile(QFile::encodeName(path).toStdString(), core.store).status == kv::ModeFileStatus::Ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: kv4420-offline-shot zh|en WINDOW.png QUESTION.png\n");
        return 2;
    }
    QTemporaryDir settingsDir, modeDir;
    const int language = kv::shot::UseThrowAwaySettings(settingsDir, argv[1]);
    const QString file =
        modeDir.filePath(language == kv::kLanguageEnglish ? QStringLiteral("hall.K4v9") : QStringLiteral("晚会.K4v9"));
    if (!WriteRoomFile(file)) return 1;

    kv::AppOptions options = kv::shot::OnSimulatedBox();
    options.boxUri = options.uri;  // the box that arrives later
    options.uri = kv::TransportUri{kv::TransportUri::Kind::File, QFile::encodeName(file).toStdString()};
    kv::CKV4420v13App app(options);
    app.Start();
    app.Frame()->resize(1170, 700);

    const QString windowOut = QString::fromLocal8Bit(argv[2]);
    const QString questionOut = QString::fromLocal8Bit(argv[3]);
    bool question = false;
    int accepted = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &application, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && !question) {
            question = box->grab().save(questionOut);
            std::printf("%s %dx%d\n", qPrintable(questionOut), box->width(), box->height());
            box->button(QMessageBox::No)->click();
            QTimer::singleShot(300, &application, [&] {
                app.Shutdown();
                QApplication::exit(question ? 0 : 1);
            });
        }
    });
    QObject::connect(&app.View()->Connection(), &kv::ConnectionLifecycle::accepted, &application, [&] {
        if (++accepted != 1) return;
        QTimer::singleShot(500, &application, [&] {
            // An edit made on the file, then the window as it shows it.
            kv::FindSetting("music.level")->apply(app.Device(), 55);
            app.View()->RefreshFromStore();
            QTimer::singleShot(300, &application, [&] {
                const QPixmap shot = app.Frame()->grab();
                if (!shot.save(windowOut)) QApplication::exit(1);
                std::printf("%s %dx%d\n", qPrintable(windowOut), shot.width(), shot.height());
                poll.start(50);
                static_cast<kv::ManualHotplugWatcher*>(app.Watcher())->RaiseArrived();
            });
        });
    });
    QTimer::singleShot(30000, &application, [] { QApplication::exit(3); });
    return application.exec();
}

// Saves a picture of the "Remote access" window, turned on, as the running program shows it
// with the simulated box connected:
//   kv4420-remote-shot zh|en WINDOW.png
// It listens on 127.0.0.1 only; settings and the token go to a throw-away directory.

#include <QApplication>
#include <QCheckBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "ShotSettings.h"
#include "app/CKV4420v13App.h"
#include "app/CRemoteAccessDlg.h"
#include "app/RemoteAccess.h"
#include "sim/SimBox.h"
#include "ui/UiText.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kv4420-remote-shot zh|en WINDOW.png\n");
        return 2;
    }
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    kv::shot::UseThrowAwaySettings(dir, argv[1]);
    kv::RemoteAccess::SetDefaultListen(QHostAddress::LocalHost, kv::RemoteAccess::kPort);

    const kv::AppOptions options = kv::shot::OnSimulatedBox();
    kv::CKV4420v13App app(options);
    app.Start();
    kv::CRemoteAccessDlg* window = app.Frame()->Remote()->ShowWindow();
    window->Switch()->setChecked(true);
    const QString out = QString::fromLocal8Bit(argv[2]);
    int code = 1;
    QTimer::singleShot(500, &application, [&] {
        window->adjustSize();
        if (window->grab().save(out)) code = 0;
        std::printf("%s %dx%d\n", qPrintable(out), window->width(), window->height());
        app.Shutdown();
        QApplication::exit(code);
    });
    return QApplication::exec();
}

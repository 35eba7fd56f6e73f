// Saves a picture of the main window with the simulated box connected:
//   kv4420-shot zh|en OUTPUT.png
// Settings go to a throw-away directory so the user's settings are not touched.

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMainFrame.h"
#include "dialogs/UiText.h"
#include "sim/SimBox.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kv4420-shot zh|en OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    const int language = QString::fromLatin1(argv[1]) == QLatin1String("en") ? kv::kLanguageEnglish
                                                                              : kv::kLanguageChinese;
    QSettings(kv::settings::kOrganization, kv::settings::kApplication).setValue(kv::settings::kLanguage, language);

    kv::AppOptions options;
    options.uri.kind = kv::TransportUri::Kind::Sim;
    options.syncTimings.connectWaitMs = 0;
    kv::CKV4420v13App app(options);
    app.Start();
    app.Frame()->resize(kv::CMainFrame::kMinWidth, kv::CMainFrame::kMinHeight);

    const QString out = QString::fromLocal8Bit(argv[2]);
    int rc = 1;
    // Grab once the box is accepted and the window settled.
    QObject::connect(&app.View()->Connection(), &kv::ConnectionLifecycle::accepted, &application, [&] {
        QTimer::singleShot(800, &application, [&] {
            rc = app.Frame()->grab().save(out) ? 0 : 1;
            std::printf("%s %dx%d\n", qPrintable(out), app.Frame()->width(), app.Frame()->height());
            app.Shutdown();
            QApplication::exit(rc);
        });
    });
    QTimer::singleShot(30000, &application, [] { QApplication::exit(3); });
    application.exec();
    return rc;
}

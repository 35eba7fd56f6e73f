// Saves pictures of the auxiliary windows with the simulated box connected:
//   kv4420-aux-shot zh|en OUTPUT_DIR
// writes settings, remote, remote-help, learning, learned, noise-gate, auto-sub and
// music-agc pictures, each suffixed with the language. Settings go to a throw-away directory.

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "ShotSettings.h"
#include "app/AppSettings.h"
#include "app/AuxWindows.h"
#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMainFrame.h"
#include "device/Report.h"
#include "dialogs/CAutoMusicVolDlg.h"
#include "dialogs/CAutoSubDlg.h"
#include "dialogs/CDialogNG.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CRemoteStudyDlg.h"
#include "dialogs/CSetDlg.h"
#include "sim/SimBox.h"
#include "ui/UiText.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kv4420-aux-shot zh|en OUTPUT_DIR\n");
        return 2;
    }
    QTemporaryDir settingsDir;
    const bool english = kv::shot::UseThrowAwaySettings(settingsDir, argv[1]) == kv::kLanguageEnglish;
    const QString suffix = english ? QStringLiteral("-en.png") : QStringLiteral("-zh.png");
    const QDir out(QString::fromLocal8Bit(argv[2]));

    auto box = std::make_shared<kv::SimBox>();
    const auto set = [&](int module, int parameter, float value) {
        const kv::ParamValue v = kv::ParamValue::FromFloat(value);
        box->Handle(kv::BuildParamWrite(module, parameter, std::span(&v, 1)));
    };
    set(1, 30, 0.60f);
    set(1, 43, 0.60f);
    set(1, 68, 0.35f);
    set(4, 22, -14.5f);

    const kv::AppOptions options = kv::shot::OnSimulatedBox(box);
    kv::CKV4420v13App app(options);
    app.Start();

    int failed = 0;
    const auto shoot = [&](QWidget* w, const char* name) {
        w->adjustSize();
        QApplication::processEvents();
        const QString file = out.filePath(QString::fromLatin1(name) + suffix);
        if (!w->grab().save(file)) ++failed;
        std::printf("%s %dx%d\n", qPrintable(file), w->width(), w->height());
    };
    QObject::connect(&app.View()->Connection(), &kv::ConnectionLifecycle::accepted, &application, [&] {
        QTimer::singleShot(300, &application, [&] {
            kv::AuxWindows& aux = app.Aux();
            // A box set up by its owner: power-on microphone volume, limits, a locked panel.
            kv::ParameterStore::Settings record{};
            record[1] = 60;
            record[2] = 255;
            record[3] = 90;
            record[4] = 85;
            record[5] = 1;
            record[6] = 0x83;
            record[12] = 1;
            app.Device().store.SetAppliedSettings(record);
            app.Device().store.SetInt(kv::fld::kMusicAgc, 1);
            app.Device().store.SetInt(kv::fld::kAutoSubEnabled, 1);

            aux.OpenDeviceSettings();
            shoot(aux.DeviceSettings(), "window-settings");
            aux.OpenAutoSub();
            shoot(aux.AutoSub(), "window-auto-sub");
            aux.OpenMusicAgc();
            shoot(aux.MusicAgc(), "window-music-agc");
            aux.OpenRemoteControl();
            kv::CRemoteDlg* remote = aux.RemoteControl();
            remote->grab().save(out.filePath("window-remote" + suffix));
            remote->resize(remote->FullSize());
            QApplication::processEvents();
            remote->grab().save(out.filePath("window-remote-help" + suffix));

            kv::CRemoteStudyDlg learning(aux, 9, remote);
            learning.show();
            shoot(&learning, "window-learning");
            kv::CRemoteStudyDlg learned(aux, 9, remote);
            learned.show();
            learned.KeyLearned(0x1C);
            shoot(&learned, "window-learned");
            kv::CDialogNG gate(aux, app.Frame());
            gate.show();
            shoot(&gate, "window-noise-gate");
            learned.hide();
            app.Shutdown();
            QApplication::exit(failed);
        });
    });
    QTimer::singleShot(30000, &application, [] { QApplication::exit(3); });
    return application.exec();
}

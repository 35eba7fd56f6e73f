// Saves pictures of the close question and the save-file dialog that follows its Yes, as
// the running program shows them with the simulated box connected:
//   kv4420-dialog-shot zh|en QUESTION.png FILEDIALOG.png
// Settings go to a throw-away directory so the user's settings are not touched.

#include <QApplication>
#include <QFile>
#include <QFileDialog>
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
#include "model/ModeFile.h"
#include "model/ParameterStore.h"
#include "sim/SimBox.h"
#include "ui/UiText.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: kv4420-dialog-shot zh|en QUESTION.png FILEDIALOG.png\n");
        return 2;
    }
    QTemporaryDir settingsDir, modeDir;
    kv::shot::UseThrowAwaySettings(settingsDir, argv[1]);
    // A folder with a few mode files, where the dialog starts as the last one used.
    const kv::ParameterStore defaults;
    for (const char* name : {"m1 会议.K4v9", "m2 演出.K4v9", "m3 晚会.K4v9"}) {
        const QString path = modeDir.filePath(QString::fromUtf8(name));
        if (kv::WriteModeFile(QFile::encodeName(path).toStdString(), defaults).status != kv::ModeFileStatus::Ok)
            return 1;
    }
    QSettings settings(kv::settings::kOrganization, kv::settings::kApplication);
    settings.setValue(kv::settings::kModeFolder, modeDir.path());
    settings.sync();

    const kv::AppOptions options = kv::shot::OnSimulatedBox();
    kv::CKV4420v13App app(options);
    app.Start();

    const QString questionOut = QString::fromLocal8Bit(argv[2]);
    const QString fileOut = QString::fromLocal8Bit(argv[3]);
    bool questionSaved = false, fileSeen = false, fileSaved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &application, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && !questionSaved) {
            questionSaved = box->grab().save(questionOut);
            std::printf("%s %dx%d\n", qPrintable(questionOut), box->width(), box->height());
            box->button(QMessageBox::Yes)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog && !fileSeen) {
            fileSeen = true;
            dialog->resize(760, 460);
            // A moment for the folder's listing to fill in.
            QTimer::singleShot(300, dialog, [&, dialog] {
                fileSaved = dialog->grab().save(fileOut);
                std::printf("%s %dx%d\n", qPrintable(fileOut), dialog->width(), dialog->height());
                dialog->reject();
            });
        }
    });
    // Once the box is accepted, changed settings make closing ask first.
    QObject::connect(&app.View()->Connection(), &kv::ConnectionLifecycle::accepted, &application, [&] {
        QTimer::singleShot(500, &application, [&] {
            app.Device().store.SetSettingsChanged(true);
            poll.start(50);
            app.Frame()->close();
            QApplication::exit(questionSaved && fileSaved ? 0 : 1);
        });
    });
    QTimer::singleShot(30000, &application, [] { QApplication::exit(3); });
    return application.exec();
}

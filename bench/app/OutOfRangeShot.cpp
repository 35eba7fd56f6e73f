// Saves a picture of the question a mode file with values out of range asks, as the running
// program shows it with the simulated box connected:
//   kv4420-out-of-range-shot zh|en QUESTION.png
// The question is answered No, so the box is left as it was. Settings go to a throw-away
// directory so the user's settings are not touched.

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <bit>
#include <cstdio>

#include "ShotSettings.h"
#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "model/Bytes.h"
#include "model/ModeFile.h"
#include "model/ParameterStore.h"
#include "sim/SimBox.h"
#include "ui/UiText.h"

namespace {

// The box's own mode with a handful of damaged words, enough for the list to be cut short.
QByteArray DamagedFile(const kv::ParameterStore& store) {
    auto bytes = kv::EncodeModeFile(store);
    const auto put = [&bytes](int field, std::uint32_t v) {
        kv::PutLe32(&bytes[static_cast<std::size_t>(4 + 4 * (field - kv::fld::kModeFileFirst))], v);
    };
    put(kv::fld::kMain.mixMusic(), 0x7FFFFFFF);
    put(kv::fld::kMain.mute(), 0);
    put(kv::fld::kSub.mixMusic(), 3000);
    put(kv::fld::kMusicPitch, 0x7FFFFFFF);
    put(kv::fld::kMusicVolume, 250);
    put(kv::fld::kMicMute, 7);
    put(kv::fld::kMain.delayLeft(), 0x7FC00000);
    put(kv::fld::kRear.compRatio(), std::bit_cast<std::uint32_t>(1e30f));
    put(kv::fld::kTop.compThreshold(), 0xFF800000);
    put(kv::fld::kMusicAgcLevel, 0x7F800000);
    for (int i = 0; i < 4; ++i) put(kv::fld::kMicInputVolume1 + i, 0x80000000);
    put(kv::fld::kEchoChATime, std::bit_cast<std::uint32_t>(5000.0f));
    put(kv::fld::kMicChAShift, 9);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kv4420-out-of-range-shot zh|en QUESTION.png\n");
        return 2;
    }
    QTemporaryDir settingsDir, modeDir;
    kv::shot::UseThrowAwaySettings(settingsDir, argv[1]);

    const kv::AppOptions options = kv::shot::OnSimulatedBox();
    kv::CKV4420v13App app(options);
    app.Start();

    const QString out = QString::fromLocal8Bit(argv[2]);
    bool saved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &application, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && !saved) {
            saved = box->grab().save(out);
            std::printf("%s %dx%d\n", qPrintable(out), box->width(), box->height());
            box->button(QMessageBox::No)->click();
        }
    });
    QObject::connect(&app.View()->Connection(), &kv::ConnectionLifecycle::accepted, &application, [&] {
        QTimer::singleShot(500, &application, [&] {
            const QString path = modeDir.filePath(QStringLiteral("晚会.K4v9"));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly)) QApplication::exit(1);
            file.write(DamagedFile(app.Device().store));
            file.close();
            poll.start(50);
            app.View()->LoadModeFileFrom(path);
            QApplication::exit(saved ? 0 : 1);
        });
    });
    QTimer::singleShot(30000, &application, [] { QApplication::exit(3); });
    return application.exec();
}

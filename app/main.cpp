// kv4420 [--device hid|sim|unix:PATH|file:PATH] [--exit-after-first-paint] [MODEFILE]

#include <QApplication>
#include <QCommandLineParser>
#include <QEvent>
#include <QTimer>

#include "app/CKV4420v13App.h"
#include "app/CMainFrame.h"
#include "app/FirstPaintReport.h"
#include "app/SingleInstance.h"

namespace {

// Ends the process once the main window painted for the first time (start-up measurement).
class FirstPaintExit : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            kv::ReportFirstPaintAndExit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kv::settings::kApplication));
    QApplication::setOrganizationName(QString::fromLatin1(kv::settings::kOrganization));
    QApplication::setDesktopFileName(QStringLiteral("kv4420"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Control application of the KV4420 audio processor"));
    parser.addHelpOption();
    QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("Transport: hid (default), sim, unix:PATH or file:PATH (a mode file edited "
                       "as if it were a box)."),
        QStringLiteral("URI"), QStringLiteral("hid"));
    QCommandLineOption firstPaint(QStringLiteral("exit-after-first-paint"),
                                  QStringLiteral("Exit as soon as the main window painted (start-up measurement)."));
    parser.addOption(device);
    parser.addOption(firstPaint);
    parser.addPositionalArgument(QStringLiteral("MODEFILE"),
                                 QStringLiteral("Mode file to open; edited in the box's place when no box is found."));
    parser.process(application);

    const auto uri = kv::TransportUri::Parse(parser.value(device).toStdString());
    if (!uri) {
        std::fprintf(stderr, "kv4420: unknown device '%s' (use hid, sim, unix:PATH or file:PATH)\n",
                     qPrintable(parser.value(device)));
        return 2;
    }

    kv::SingleInstance instance(QString::fromLatin1(kv::CKV4420v13App::kInstanceName));
    if (!parser.isSet(firstPaint) && !instance.Claim()) return 0;

    kv::AppOptions options;
    options.uri = *uri;
    kv::CKV4420v13App app(options);
    const QStringList files = parser.positionalArguments();
    app.Start(files.isEmpty() ? QString() : files.first());
    QObject::connect(&instance, &kv::SingleInstance::raiseRequested, app.Frame(), &kv::CMainFrame::Raise);

    FirstPaintExit exitOnPaint;
    if (parser.isSet(firstPaint)) app.Frame()->installEventFilter(&exitOnPaint);

    QObject::connect(app.Frame(), &QObject::destroyed, &application, &QApplication::quit);
    application.setQuitOnLastWindowClosed(true);
    return application.exec();
}

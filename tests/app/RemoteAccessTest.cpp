// The window's remote access against the simulated box, on 127.0.0.1 only: off unless turned
// on (and on again in the next session), the window shows the address and its code, an edit
// over the network reaches the box, shows in the window at once and is one step of undo, and
// the window's own edits reach the event stream.

#include <QCheckBox>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

#include "app/CRemoteAccessDlg.h"
#include "app/QrImage.h"
#include "app/RemoteAccess.h"
#include "device/Commands.h"
#include "device/Parameters.h"
#include "device/SettingTable.h"
#include "tests/app/ShellFixture.h"
#include "ui/EditHistory.h"

namespace kv::test {

class RemoteAccessTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void offByDefaultAndRemembered();
    void networkEditShowsInTheWindowAndIsAnUndoStep();
    void windowEditsReachTheEventStream();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

struct Answer {
    int status = 0;
    QByteArray body;
};

Answer Send(QNetworkAccessManager& nam, const QByteArray& method, const QUrl& url, const QByteArray& token,
            const QByteArray& body = {}) {
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Bearer " + token);
    std::unique_ptr<QNetworkReply> reply(nam.sendCustomRequest(request, method, body));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, kWaitMs)) return {};
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
}

// On, on 127.0.0.1 and a free port; the address's token.
QByteArray TurnOn(Shell& shell) {
    RemoteAccess* remote = shell.Frame()->Remote();
    QString error;
    if (!remote->SetEnabled(true, error)) return {};
    if (!QTest::qWaitFor([&] { return !shell.Frame()->Remote()->Url().isEmpty(); }, kWaitMs)) return {};
    return remote->Url().section(QStringLiteral("token="), 1).toLatin1();
}

QUrl Api(Shell& shell, const QString& path) {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(shell.Frame()->Remote()->Port()).arg(path));
}

}  // namespace

void RemoteAccessTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    IsolateSettings(*m_dir);
    qputenv("XDG_CONFIG_HOME", (m_dir->path() + "/config").toUtf8());
    QDir().mkpath(m_dir->path() + "/run");
    qputenv("XDG_RUNTIME_DIR", (m_dir->path() + "/run").toUtf8());
    RemoteAccess::SetDefaultListen(QHostAddress::LocalHost, 0);
}

void RemoteAccessTest::offByDefaultAndRemembered() {
    {
        Shell shell;
        RemoteAccess* remote = shell.Frame()->Remote();
        QVERIFY(!remote->Running());
        CRemoteAccessDlg* window = remote->ShowWindow();
        QVERIFY(!window->Switch()->isChecked());
        QVERIFY(window->Code()->isHidden());
        QVERIFY(!TurnOn(shell).isEmpty());
        QVERIFY(window->Switch()->isChecked());
        QVERIFY(window->Address()->text().startsWith("http://127.0.0.1:"));
        // The code shown is the address's own: its size is that of the address's modules.
        const QImage modules = QrModules(window->Address()->text());
        QCOMPARE(window->Code()->pixmap().width(), modules.width() * CRemoteAccessDlg::kQrScale);
        QVERIFY(modules.width() >= 21 + 8);
    }
    // The next session starts it again by itself.
    Shell again;
    QVERIFY(QTest::qWaitFor([&] { return again.Frame()->Remote()->Running(); }, kWaitMs));
    QVERIFY(again.Frame()->Remote()->Url().startsWith("http://127.0.0.1:"));
    again.Frame()->Remote()->ShowWindow()->Switch()->setChecked(false);
    QVERIFY(!again.Frame()->Remote()->Running());
    QVERIFY(!AppSettings().RemoteAccess());
}

void RemoteAccessTest::networkEditShowsInTheWindowAndIsAnUndoStep() {
    Shell shell;
    const QByteArray token = TurnOn(shell);
    QVERIFY(!token.isEmpty());
    QNetworkAccessManager nam;
    const int steps = shell.View()->History().Stack().count();
    const Answer put = Send(nam, "PUT", Api(shell, "/api/v1/settings/music.level"), token, R"({"text":"37"})");
    QCOMPARE(put.status, 200);
    QVERIFY2(shell.Label(RibbonLabel::Music).endsWith(": 37"), qPrintable(shell.Label(RibbonLabel::Music)));
    QCOMPARE(shell.Slider(RibbonSlider::Music)->value(), 37);
    QCOMPARE(shell.Delivered().ParamFloat(module::kMusic, prm::kMusicLevel), H(37));
    QCOMPARE(shell.View()->History().Stack().count(), steps + 1);
    shell.View()->History().Undo();
    QCOMPARE(shell.Delivered().ParamFloat(module::kMusic, prm::kMusicLevel), H(0));
    QCOMPARE(Send(nam, "GET", Api(shell, "/api/v1/settings/music.level"), token).body.contains("\"text\": \"0\""),
             true);
    // The window reads modes back and writes mode files itself.
    const Answer load = Send(nam, "POST", Api(shell, "/api/v1/modes/2/load"), token);
    QCOMPARE(load.status, 409);
    QVERIFY(load.body.contains("window"));
}

void RemoteAccessTest::windowEditsReachTheEventStream() {
    Shell shell;
    const QByteArray token = TurnOn(shell);
    QVERIFY(!token.isEmpty());
    QWebSocket ws;
    QStringList messages;
    connect(&ws, &QWebSocket::textMessageReceived, this, [&](const QString& m) { messages << m; });
    ws.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/events?token=%2")
                     .arg(shell.Frame()->Remote()->Port())
                     .arg(QString::fromLatin1(token))));
    QVERIFY(QTest::qWaitFor([&] { return !messages.isEmpty(); }, kWaitMs));
    QVERIFY2(messages.front().contains("\"connected\":true"), qPrintable(messages.front()));
    shell.Slider(RibbonSlider::Music)->setValue(12);
    Q_EMIT shell.Ribbon()->sliderIssued(kCategoryInput, RibbonSlider::Music);
    QVERIFY(QTest::qWaitFor([&] { return messages.filter("\"address\":\"music.level\",\"value\":12").size() == 1; },
                            kWaitMs));
}

}  // namespace kv::test

QTEST_MAIN(kv::test::RemoteAccessTest)
#include "RemoteAccessTest.moc"

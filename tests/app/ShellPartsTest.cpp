// The shell's parts on their own: the step slider, the language tables, the settings
// and the single-instance guard.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLabel>
#include <QLocalServer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>
#include <cstring>

#include "app/AppSettings.h"
#include "app/CMFCRibbonStepSlider.h"
#include "app/SingleInstance.h"
#include "dialogs/CInfoDlg.h"
#include "tests/app/ShellFixture.h"
#include "tests/app/ShellTests.h"
#include "ui/LanguageTable.h"
#include "ui/UiText.h"

namespace kv::test {

void ShellPartsTest::stepSliderMovesOneUnitPerClick() {
    CMFCRibbonStepSlider slider;
    slider.setRange(0, 99);
    slider.setFixedWidth(90);
    slider.setValue(40);
    slider.show();
    QSignalSpy issued(&slider, &CMFCRibbonStepSlider::issued);
    const int y = slider.HandleRect().center().y();
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(slider.width() - 2, y));
    QCOMPARE(slider.value(), 41);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(1, y));
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(1, y));
    QCOMPARE(slider.value(), 39);
    QCOMPARE(issued.count(), 3);
    QCOMPARE(issued.last().at(0).toInt(), 39);
    // Other buttons neither move it nor issue.
    QTest::mouseClick(&slider, Qt::MiddleButton, {}, QPoint(slider.width() - 2, y));
    QTest::mouseClick(&slider, Qt::RightButton, {}, QPoint(1, y));
    QCOMPARE(slider.value(), 39);
    QCOMPARE(issued.count(), 3);

    // Programmatic changes and the wheel issue nothing.
    slider.setValue(10);
    QWheelEvent wheel(QPointF(5, y), slider.mapToGlobal(QPointF(5, y)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&slider, &wheel);
    QCOMPARE(slider.value(), 10);
    QCOMPARE(issued.count(), 3);

    // Dragging issues at every change of position.
    const QPoint grip = slider.HandleRect().center();
    QTest::mousePress(&slider, Qt::LeftButton, {}, grip);
    QTest::mouseMove(&slider, QPoint(grip.x() + 20, y));
    QTest::mouseMove(&slider, QPoint(grip.x() + 40, y));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(grip.x() + 40, y));
    QCOMPARE(issued.count(), 5);
    QCOMPARE(issued.last().at(0).toInt(), slider.value());
}

void ShellPartsTest::languageTablesLookUpAndApply() {
    LanguageTable table;
    table.LoadText(
        "// comment\r\n[Other]\r\nIDD1_title=elsewhere\r\n[String]\r\nIDD7_title=Seven\r\n"
        "idd7_5 = Five \r\nIDD7_6=\r\nIDD7_8=\"quoted\"\r\n");
    QCOMPARE(table.Title(7), QStringLiteral("Seven"));
    QCOMPARE(table.Text(7, 5), QStringLiteral("Five"));  // keys ignore case, values are trimmed
    QCOMPARE(table.Text(7, 8), QStringLiteral("quoted"));
    QVERIFY(table.Title(1).isEmpty());  // other sections do not count

    QWidget window;
    window.setWindowTitle(QStringLiteral("template"));
    auto* five = new QLabel(QStringLiteral("5"), &window);
    auto* six = new QPushButton(QStringLiteral("6"), &window);
    auto* none = new QLabel(QStringLiteral("no id"), &window);
    SetControlId(five, 5);
    SetControlId(six, 6);
    table.Apply(&window, 7);
    QCOMPARE(window.windowTitle(), QStringLiteral("Seven"));
    QCOMPARE(five->text(), QStringLiteral("Five"));
    QCOMPARE(six->text(), QStringLiteral("6"));  // an empty entry keeps the text
    QCOMPARE(none->text(), QStringLiteral("no id"));

    // The built-in tables: Chinese for index 0 and anything but 1.
    QVERIFY(table.Load(kLanguageEnglish));
    QCOMPARE(table.Title(CInfoDlg::kDialogId), QStringLiteral("Information"));
    QVERIFY(table.Load(kLanguageChinese));
    QCOMPARE(table.Text(CInfoDlg::kDialogId, CInfoDlg::kCloseId), QStringLiteral("关闭"));
    QVERIFY(table.Load(7));
    QCOMPARE(table.Title(CInfoDlg::kDialogId), QStringLiteral("信息"));
}

void ShellPartsTest::settingsDefaultsAndRecentFiles() {
    QTemporaryDir dir;
    IsolateSettings(dir);
    AppSettings s;
    QCOMPARE(s.Language(), 0);
    QCOMPARE(s.ApplicationLook(), 215);
    for (int i = 0; i < 12; ++i) s.AddRecentFile(QStringLiteral("/f%1.K4v9").arg(i));
    s.AddRecentFile(QStringLiteral("/f5.K4v9"));
    const QStringList files = s.RecentFiles();
    QCOMPARE(files.size(), 10);
    QCOMPARE(files.first(), QStringLiteral("/f5.K4v9"));
    QCOMPARE(files.count(QStringLiteral("/f5.K4v9")), 1);
    QVERIFY(!files.contains(QStringLiteral("/f0.K4v9")));
}

void ShellPartsTest::singleInstanceRaisesTheFirstCopy() {
    const QString name = QStringLiteral("kv4420-test-") + QUuid::createUuid().toString(QUuid::Id128);
    SingleInstance first(name);
    QVERIFY(first.Claim());
    QSignalSpy raise(&first, &SingleInstance::raiseRequested);
    SingleInstance second(name);
    QVERIFY(!second.Claim());
    QVERIFY(raise.wait(kWaitMs) || raise.count() == 1);
}

void ShellPartsTest::staleInstanceNameDoesNotBlock() {
    // A socket file nobody listens on, as a crashed copy leaves it.
    const QString name = QStringLiteral("kv4420-stale-") + QUuid::createUuid().toString(QUuid::Id128);
    QLocalServer probe;
    QVERIFY(probe.listen(name));
    const QByteArray path = QFile::encodeName(probe.fullServerName());
    probe.close();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.constData(), sizeof(addr.sun_path) - 1);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
    QVERIFY(QFile::exists(QString::fromLocal8Bit(path)));

    SingleInstance instance(name);
    QVERIFY(instance.Claim());
    QVERIFY(instance.Listening());
}

}  // namespace kv::test

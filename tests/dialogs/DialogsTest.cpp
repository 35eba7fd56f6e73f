// The progress dialog, the transient notice and the about box on their own.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "dialogs/CAboutDlg.h"
#include "dialogs/CInfoDlg.h"
#include "dialogs/CSynDlg.h"
#include "ui/UiText.h"

namespace kv::test {

class DialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void progressCyclesAndEndsWhenClosed();
    void progressGivesUp();
    void progressIgnoresEscape();
    void noticeRestartsItsTimer();
    void noticeCloseButton();
    void aboutWhileDisconnectedAndConnected();
    void aboutHiddenKey();
};

void DialogsTest::progressCyclesAndEndsWhenClosed() {
    CSynDlg dialog(kLanguageEnglish);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Synchronize"));
    QCOMPARE(dialog.Text()->text(), QStringLiteral("Please wait a moment……"));
    QCOMPARE(dialog.Progress()->maximum(), 100);
    int highest = 0;
    bool wrapped = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, &dialog, [&] {
        const int v = dialog.Progress()->value();
        if (v < highest) wrapped = true;
        highest = std::max(highest, v);
        if (wrapped) dialog.CloseProgress();
    });
    probe.start(20);
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(wrapped);
    QCOMPARE(highest, 100);
}

void DialogsTest::progressGivesUp() {
    CSynDlg dialog(kLanguageChinese, nullptr, 50);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("同步过程"));
    QCOMPARE(dialog.Text()->text(), QStringLiteral("当前正在与机器同步数据,请稍后......"));
    QCOMPARE(dialog.exec(), CSynDlg::kTimedOut);
}

void DialogsTest::progressIgnoresEscape() {
    CSynDlg dialog(kLanguageChinese);
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        dialog.CloseProgress();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
}

void DialogsTest::noticeRestartsItsTimer() {
    QPointer<CInfoDlg> notice = new CInfoDlg(kLanguageChinese);
    QCOMPARE(notice->windowTitle(), QStringLiteral("信息"));
    QCOMPARE(notice->CloseButton()->text(), QStringLiteral("关闭"));
    notice->show();
    notice->ShowInfo(QStringLiteral("first"), 100);
    notice->ShowInfo(QStringLiteral("second"), 60000);  // replaces the text and the timer
    QTest::qWait(400);
    QVERIFY(notice);
    QCOMPARE(notice->Message(), QStringLiteral("second"));
    notice->ShowInfo(QStringLiteral("third"), 10);
    QVERIFY(QTest::qWaitFor([&] { return notice.isNull(); }, 10000));
}

void DialogsTest::noticeCloseButton() {
    QPointer<CInfoDlg> notice = new CInfoDlg(kLanguageEnglish);
    QCOMPARE(notice->windowTitle(), QStringLiteral("Information"));
    notice->show();
    notice->ShowInfo(QStringLiteral("text"), 60000);
    QTest::mouseClick(notice->CloseButton(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return notice.isNull(); }, 10000));
}

void DialogsTest::aboutWhileDisconnectedAndConnected() {
    {
        CAboutDlg about(AboutInfo{});
        about.show();
        QVERIFY(!about.McuLine()->isVisible());
        QVERIFY(!about.DspLine()->isVisible());
        QVERIFY(!about.ModuleLine()->isVisible());
        QVERIFY(!about.Peak()->isVisible());
    }
    AboutInfo info{true, QStringLiteral("KV4420M"), QStringLiteral("1.07"), QStringLiteral("2.3"), 9, true};
    CAboutDlg about(info);
    about.show();
    QCOMPARE(about.McuLine()->text(), QStringLiteral("MCU Ver:1.07 CMD Ver:09"));
    QCOMPARE(about.DspLine()->text(), QStringLiteral("DSP Ver:2.3"));
    QCOMPARE(about.ModuleLine()->text(), QStringLiteral("Module:KV4420M"));
    QVERIFY(about.McuLine()->isVisible());
    QVERIFY(!about.ModuleLine()->isVisible());
}

void DialogsTest::aboutHiddenKey() {
    AboutInfo info;
    info.meterPoll = true;
    CAboutDlg about(info);
    about.show();
    QSignalSpy toggled(&about, &CAboutDlg::meterPollToggled);
    // F11 alone, or with one modifier, does nothing.
    QTest::keyRelease(&about, Qt::Key_F11, Qt::ControlModifier);
    QVERIFY(!about.Peak()->isVisible());
    QTest::keyRelease(&about, Qt::Key_F11, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(about.ModuleLine()->isVisible());
    QVERIFY(about.Peak()->isVisible());
    QVERIFY(about.Peak()->isChecked());
    QTest::mouseClick(about.Peak(), Qt::LeftButton, {}, QPoint(6, about.Peak()->height() / 2));
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(toggled.first().at(0).toBool(), false);
}

}  // namespace kv::test

QTEST_MAIN(kv::test::DialogsTest)
#include "DialogsTest.moc"

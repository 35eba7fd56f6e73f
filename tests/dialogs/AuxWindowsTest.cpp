// The auxiliary windows against the simulated box: the automatic functions, the device
// settings, and remote-control teaching with its files.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include "AuxFixture.h"
#include "dialogs/CAutoMusicVolDlg.h"
#include "dialogs/CAutoSubDlg.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CRemoteStudyDlg.h"
#include "dialogs/CSetDlg.h"
#include "eq/CXBmpSlider.h"
#include "ui/UiText.h"

namespace kv::test {

namespace {
using Record = ParameterStore::Settings;

// Applied copy: mic power-on 80, music not set, limits 99 and 90, lock bits 0x10, mode M2.
Record Sample() {
    Record r{};
    r[1] = 80;
    r[2] = 255;
    r[3] = 99;
    r[4] = 90;
    r[6] = 0x10;
    r[12] = 2;
    return r;
}
Report RemoteWrite(const ParameterStore::RemoteTable& t) {
    Report rep{};
    rep[0] = 0x02;
    rep[1] = cmd::kRemoteTableWrite;
    for (std::size_t i = 0; i < t.size(); ++i) rep[2 + i] = t[i];
    return rep;
}
// Runs body once the modal learning dialog of the window is up.
void WhenLearning(CRemoteDlg& remote, std::function<void(CRemoteStudyDlg*)> body) {
    QTimer::singleShot(0, &remote, [&remote, body] {
        QVERIFY(QTest::qWaitFor([&] { return remote.Study() != nullptr; }, 2000));
        body(remote.Study());
    });
}
}  // namespace

class AuxWindowsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // ---- Automatic subwoofer ----
    void autoSub_data() {
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addRow("40 percent") << 20 << 40 << "40%";
        QTest::addRow("full") << 20 << 100 << "100%";
        QTest::addRow("silent") << 20 << 0 << "0%";
    }
    void autoSub() {
        QFETCH(int, ratio);
        QFETCH(int, position);
        QFETCH(QString, text);
        AuxHost host;
        host.core->store.SetInt(55, ratio);
        CAutoSubDlg dlg(host);
        host.Clear();
        dlg.Switch()->click();
        dlg.Slider()->changed(0, position);
        QCOMPARE(host.ParamWrites(), AuxHost::Hex({Ints(1, 67, {1}), Floats(1, 68, {position / 100.0f})}));
        QCOMPARE(host.core->store.Int(55), position);
        QCOMPARE(dlg.Value()->text(), text);
        QVERIFY(dlg.Slider()->isEnabled());
        dlg.Switch()->click();
        QVERIFY(!dlg.Slider()->isEnabled() && !dlg.Caption()->isEnabled() && !dlg.Value()->isEnabled());
        QCOMPARE(host.ParamWrites().last(), AuxHost::HexOf(Ints(1, 67, {0})));
    }
    void autoSubShowsRatioBeyondTheSlider() {
        AuxHost host(1);
        host.core->store.SetInt(55, 250);
        host.core->store.SetInt(54, 1);
        CAutoSubDlg dlg(host);
        QCOMPARE(dlg.Slider()->Position(), 100);
        QCOMPARE(dlg.Value()->text(), QStringLiteral("250%"));
        QVERIFY(dlg.Switch()->isChecked() && dlg.Slider()->isEnabled());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Auto SUB vol decay"));
        QCOMPARE(dlg.Caption()->text(), QStringLiteral("SUB Vol"));
    }

    // ---- Automatic music volume, command sets 9 and 8 ----
    void musicAgc_data() {
        QTest::addColumn<int>("commandSet");
        QTest::addColumn<float>("level");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("shownText");
        QTest::addRow("v9 neutral") << 9 << -12.0f << -120 << "0.0dB";
        QTest::addRow("v9 below the range") << 9 << -20.0f << -180 << "-8.0dB";
        QTest::addRow("v9 above the range") << 9 << -3.0f << -60 << "9.0dB";
        QTest::addRow("v8 fixed") << 8 << -20.0f << -100 << "2.0dB";
    }
    void musicAgc() {
        QFETCH(int, commandSet);
        QFETCH(float, level);
        QFETCH(int, shown);
        QFETCH(QString, shownText);
        AuxHost host(0, commandSet);
        host.core->store.SetFloat(180, level);
        host.core->store.SetInt(179, 1);
        CAutoMusicVolDlg dlg(host);
        QCOMPARE(dlg.Slider()->Position(), shown);
        QCOMPARE(dlg.Value()->text(), shownText);
        host.Clear();
        dlg.Slider()->changed(0, -150);
        dlg.Switch()->click();
        if (commandSet == 9) {
            QVERIFY(dlg.Switch()->isChecked() == false);
            QCOMPARE(host.ParamWrites(), AuxHost::Hex({Floats(4, 22, {-15.0f}), Ints(4, 21, {0})}));
            QCOMPARE(host.core->store.Float(180), -15.0f);
            QCOMPARE(dlg.Value()->text(), QStringLiteral("-3.0dB"));
        } else {
            // Nothing changes on a box without the function.
            QVERIFY(host.ParamWrites().isEmpty());
            QCOMPARE(host.core->store.Float(180), level);
            QCOMPARE(host.core->store.Int(179), 1);
            QVERIFY(!dlg.Switch()->isChecked() && !dlg.Slider()->isEnabled() && !dlg.Caption()->isEnabled());
            QCOMPARE(dlg.Slider()->Position(), -100);
            QCOMPARE(dlg.Value()->text(), QStringLiteral("2.0dB"));
        }
    }

    // ---- Device settings ----
    void settingsOpenFromTheAppliedCopy() {
        AuxHost host(1);
        host.core->store.SetAppliedSettings(Sample());
        host.core->store.SetInt(84, 45);
        CSetDlg dlg(host);
        QVERIFY(dlg.PowerOnCheck(0)->isChecked());
        QCOMPARE(dlg.PowerOnSlider(0)->Position(), 80);
        QVERIFY(!dlg.PowerOnCheck(1)->isChecked());
        QVERIFY(!dlg.PowerOnSlider(1)->isEnabled());
        QCOMPARE(dlg.PowerOnLabel(1)->text(), QStringLiteral("Invalid"));
        // A volume that is not set leaves its slider's thumb where a new slider has it.
        QCOMPARE(dlg.PowerOnSlider(1)->Position(), 0);
        QCOMPARE(dlg.PowerOnSlider(1)->Maximum(), 90);
        QCOMPARE(dlg.PowerOnMode()->currentText(), QStringLiteral("M2"));
        QVERIFY(!dlg.VolumeLock()->isEnabled() && dlg.ModeLock()->isChecked());
        // Enabling takes the live music level and sends nothing.
        host.Clear();
        dlg.PowerOnCheck(1)->click();
        QCOMPARE(host.core->store.EditedSettings()[2], 45);
        QCOMPARE(dlg.PowerOnSlider(1)->Position(), 45);
        QVERIFY(dlg.PowerOnSlider(1)->isEnabled());
        QCOMPARE(dlg.PowerOnLabel(1)->text(), QStringLiteral("45"));
        dlg.PowerOnCheck(1)->click();
        QCOMPARE(host.core->store.EditedSettings()[2], 255);
        QCOMPARE(dlg.PowerOnLabel(1)->text(), QStringLiteral("Invalid"));
        QVERIFY(host.Delivered().Transcript().empty());
    }

    void maximumDragsThePowerOnSlider() {
        AuxHost host;
        host.core->store.SetAppliedSettings(Sample());
        CSetDlg dlg(host);
        host.Clear();
        dlg.MaxSlider(0)->changed(0, 50);
        QCOMPARE(host.core->store.EditedSettings()[3], 50);
        QCOMPARE(host.core->store.EditedSettings()[1], 50);
        QCOMPARE(dlg.PowerOnSlider(0)->Position(), 50);
        QCOMPARE(dlg.PowerOnSlider(0)->Maximum(), 50);
        QCOMPARE(host.core->store.Int(26), 50);
        QCOMPARE(host.ParamWrites(), AuxHost::Hex({Floats(1, 30, {0.5f}), Floats(1, 43, {0.5f})}));
        // A power-on volume that is not set stays not set.
        host.Clear();
        dlg.MaxSlider(1)->changed(0, 10);
        QCOMPARE(host.core->store.EditedSettings()[2], 255);
        QVERIFY(host.ParamWrites().isEmpty());
        QCOMPARE(dlg.MaxLabel(1)->text(), QStringLiteral("10"));
        // A limit above the power-on volume leaves it where it is.
        dlg.MaxSlider(0)->changed(0, 70);
        QCOMPARE(host.core->store.EditedSettings()[1], 50);
    }

    void lockBits_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("volume");
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("cleared");
        QTest::addRow("volume on mode lock") << 0x10 << true << 0x93 << 0x10;
        QTest::addRow("volume from nothing") << 0x00 << true << 0x83 << 0x00;
        QTest::addRow("mode on volume lock") << 0x83 << false << 0x93 << 0x83;
        QTest::addRow("other bits kept") << 0x44 << true << 0xC7 << 0x44;
    }
    void lockBits() {
        QFETCH(int, before);
        QFETCH(bool, volume);
        QFETCH(int, set);
        QFETCH(int, cleared);
        AuxHost host;
        Record r = Sample();
        r[5] = 1;
        r[6] = static_cast<std::uint8_t>(before);
        host.core->store.SetAppliedSettings(r);
        CSetDlg dlg(host);
        QCheckBox* box = volume ? dlg.VolumeLock() : dlg.ModeLock();
        QVERIFY(box->isEnabled());
        box->setChecked(false);
        box->click();
        QCOMPARE(int(host.core->store.EditedSettings()[6]), set);
        box->click();
        QCOMPARE(int(host.core->store.EditedSettings()[6]), cleared);
        // The panel lock gates both.
        dlg.PanelLock()->click();
        QCOMPARE(host.core->store.EditedSettings()[5], 0);
        QVERIFY(!dlg.VolumeLock()->isEnabled() && !dlg.ModeLock()->isEnabled());
    }

    void applyAndCancel() {
        AuxHost host;
        const Record applied = Sample();
        host.core->store.SetAppliedSettings(applied);
        auto* dlg = new CSetDlg(host);
        dlg->show();
        host.Clear();
        dlg->PowerOnSlider(0)->changed(0, 30);
        dlg->SaveModeButton(1)->click();
        dlg->PowerOnMode()->activated(4);
        QCOMPARE(host.ParamWrites(), AuxHost::Hex({Floats(1, 30, {0.3f}), Floats(1, 43, {0.3f})}));
        // Cancelling restores the record but keeps the live level sent while moving.
        QPointer<CSetDlg> gone(dlg);
        dlg->CancelButton()->click();
        QCOMPARE(host.core->store.EditedSettings(), applied);
        QCOMPARE(host.core->store.AppliedSettings(), applied);
        QCOMPARE(host.core->store.Int(26), 30);
        QVERIFY(host.Sent(cmd::kSettingsWrite).isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return gone.isNull(); }, 1000));

        CSetDlg again(host);
        QCOMPARE(again.PowerOnSlider(0)->Position(), 80);
        again.PowerOnSlider(0)->changed(0, 30);
        again.SaveModeButton(1)->click();
        again.PowerOnMode()->activated(4);
        host.Clear();
        again.ApplyButton()->click();
        Record expected = applied;
        expected[0] = 1;
        expected[1] = 30;
        expected[12] = 4;
        QCOMPARE(host.Sent(cmd::kSettingsWrite), AuxHost::Hex({SettingsWrite(expected)}));
        QCOMPARE(host.core->store.AppliedSettings(), expected);
        QVERIFY(QTest::qWaitFor([&] { return host.Delivered().Settings() == expected; }, 2000));
        QCOMPARE(host.notices.last(), QStringLiteral("机器设置已生效!"));
    }

    void startUpCopiesDoNotSendZeroLimits() {
        // Before any read-back only the applied copy holds the limits.
        AuxHost host;
        Record applied{};
        applied[3] = 99;
        applied[4] = 99;
        host.core->store.SetAppliedSettings(applied);
        host.core->store.SetEditedSettings(Record{});
        CSetDlg dlg(host);
        dlg.PanelLock()->click();
        host.Clear();
        dlg.ApplyButton()->click();
        applied[5] = 1;
        QCOMPARE(host.Sent(cmd::kSettingsWrite), AuxHost::Hex({SettingsWrite(applied)}));
    }

    void phase_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("parameter");
        QTest::addRow("group 1") << 0 << 41;
        QTest::addRow("group 2") << 1 << 54;
    }
    void phase() {
        QFETCH(int, group);
        QFETCH(int, parameter);
        AuxHost host;
        host.core->store.SetInt(group ? 40 : 32, 1);
        CSetDlg dlg(host);
        QVERIFY(!dlg.Phase(group)->isChecked());
        host.Clear();
        dlg.Phase(group)->click();
        host.Settle();
        dlg.Phase(group)->click();
        QCOMPARE(host.ParamWrites(), AuxHost::Hex({Ints(1, parameter, {0}), Ints(1, parameter, {1})}));
        QCOMPARE(host.core->store.Int(group ? 40 : 32), 1);
    }

    void modeReset() {
        AuxHost host;
        CSetDlg dlg(host);
        host.Clear();
        // Asked first; No keeps the slot.
        dlg.ResetButton(2)->click();
        QCOMPARE(host.asked.size(), 1);
        QVERIFY(host.Sent(cmd::kModeReset).isEmpty());
        host.answerYes = true;
        dlg.ResetButton(2)->click();
        QCOMPARE(host.Sent(cmd::kModeReset), QStringList{QStringLiteral("02 06 02")});
        QCOMPARE(host.core->store.Int(181), 2);
        QCOMPARE(host.readBacks, 1);
        host.core->link.Close(true);
        host.Clear();
        dlg.ResetButton(0)->click();
        dlg.ApplyButton()->click();
        QVERIFY(host.Delivered().Transcript().empty());
        QCOMPARE(host.readBacks, 1);
        QCOMPARE(host.notices.last(), QStringLiteral("请先连接设备!"));
    }

    // ---- Remote control ----
    void learnsAKey() {
        AuxHost host(1);
        host.core->link.SetMeterPollEnabled(true);
        auto* remote = new CRemoteDlg(host);
        QPointer<CRemoteDlg> alive(remote);
        QVERIFY(!host.core->link.MeterPollEnabled());
        host.onKeyLearned = [&](int key) {
            if (remote->Study()) remote->Study()->KeyLearned(key);
        };
        QString code, closing, prompt;
        bool okShown = false;
        WhenLearning(*remote, [&](CRemoteStudyDlg* study) {
            prompt = study->PromptLabel()->text();
            QVERIFY(QTest::qWaitFor([&] { return host.box->LearningKeyIndex() == 9; }, 2000));
            host.box->PressRemoteKey(0x40, 0x1C);
            QVERIFY(QTest::qWaitFor([&] { return study->Learned(); }, 2000));
            code = study->Code()->text();
            closing = study->ClosingLabel()->text();
            okShown = study->CloseButton()->isVisibleTo(study) && !study->AbandonButton()->isVisibleTo(study);
        });
        QElapsedTimer clock;
        clock.start();
        remote->Key(8)->click();  // function 9, music mute; returns when the dialog closed itself
        QVERIFY(clock.elapsed() >= CRemoteStudyDlg::kCloseAfterMs);
        QCOMPARE(prompt, QStringLiteral("Learning key:  music mute"));
        QCOMPARE(code, QStringLiteral("1C"));
        QCOMPARE(closing, QStringLiteral("Window will be closed!"));
        QVERIFY(okShown);
        const auto table = host.core->store.GetRemoteTable();
        QCOMPARE(table[0], 0x40);
        QCOMPARE(table[9], 0x1C);
        QVERIFY(host.Sent(cmd::kRemoteLearnStop).isEmpty());
        delete remote;
        QVERIFY(host.core->link.MeterPollEnabled());
    }

    void abandonOnASilentBox() {
        AuxHost host;
        CRemoteDlg remote(host);
        qint64 stopMs = -1;
        WhenLearning(remote, [&](CRemoteStudyDlg* study) {
            QElapsedTimer clock;
            clock.start();
            study->AbandonButton()->click();
            stopMs = clock.elapsed();
        });
        remote.Key(0)->click();
        QCOMPARE(host.Sent(cmd::kRemoteLearn), QStringList{QStringLiteral("02 60 01")});
        QCOMPARE(host.Sent(cmd::kRemoteLearnStop), QStringList{QStringLiteral("02 61")});
        // The box never answered the learn command; the stop is not held back the 2 s a silent box costs.
        QVERIFY2(stopMs >= 0 && stopMs < 1000, qPrintable(QString::number(stopMs)));
    }

    void unsupportedKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::addRow("16") << 15 << 1 << "Information|No support!";
        QTest::addRow("17") << 16 << 0 << "提示|不支持该功能";
        QTest::addRow("18") << 17 << 1 << "Information|No support!";
    }
    void unsupportedKeys() {
        QFETCH(int, key);
        QFETCH(int, language);
        QFETCH(QString, message);
        AuxHost host(language);
        CRemoteDlg remote(host);
        QCOMPARE(ControlId(remote.Key(key)), 1614 + key - 15);
        host.Clear();
        remote.Key(key)->click();
        QCOMPARE(host.messages, QStringList{message});
        QVERIFY(host.Delivered().Transcript().empty());
    }

    void filesRoundTrip() {
        QTemporaryDir dir;
        AuxHost host;
        ParameterStore::RemoteTable table{};
        for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(0xA0 + i * 3);
        host.core->store.SetRemoteTable(table);
        CRemoteDlg remote(host);
        host.Clear();
        remote.ButtonById(CRemoteDlg::kSaveToBoxId)->click();
        const QStringList toBox = host.Sent(cmd::kRemoteTableWrite);
        QCOMPARE(toBox, AuxHost::Hex({RemoteWrite(table)}));
        QCOMPARE(host.notices.last(), QStringLiteral("遥控器键码保存成功!"));

        // Typed with another extension: written as .remo, exactly the 16 bytes.
        host.files = {dir.filePath("keys.txt")};
        remote.ButtonById(CRemoteDlg::kSaveFileId)->click();
        QCOMPARE(host.filters.last(), QStringLiteral("remo|Remote Data File (*.remo)"));
        QVERIFY(!QFile::exists(dir.filePath("keys.txt")));
        QFile saved(dir.filePath("keys.remo"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray(reinterpret_cast<const char*>(table.data()), 16));
        QCOMPARE(host.notices.last(), QStringLiteral("保存遥控文件成功"));

        // Loaded back over another table: the same 16 bytes go to the box.
        host.core->store.SetRemoteTable({});
        host.Clear();
        host.files = {dir.filePath("keys.remo")};
        remote.ButtonById(CRemoteDlg::kLoadFileId)->click();
        QCOMPARE(host.Sent(cmd::kRemoteTableWrite), toBox);
        QCOMPARE(host.core->store.GetRemoteTable(), table);
        QCOMPARE(host.notices.last(), QStringLiteral("载入遥控文件成功"));

        // A name whose .remo form exists asks first; No keeps the file.
        host.core->store.SetRemoteTable({});
        host.files = {dir.filePath("keys.dat")};
        remote.ButtonById(CRemoteDlg::kSaveFileId)->click();
        QCOMPARE(host.asked.size(), 1);
        saved.seek(0);
        QCOMPARE(saved.readAll(), QByteArray(reinterpret_cast<const char*>(table.data()), 16));

        // A short file fails and leaves the table alone; a cancelled dialog does nothing.
        QFile shortFile(dir.filePath("short.remo"));
        QVERIFY(shortFile.open(QIODevice::WriteOnly));
        shortFile.write("abc");
        shortFile.close();
        host.Clear();
        host.files = {shortFile.fileName(), QString()};
        remote.ButtonById(CRemoteDlg::kLoadFileId)->click();
        remote.ButtonById(CRemoteDlg::kLoadFileId)->click();
        QCOMPARE(host.notices.last(), QStringLiteral("载入遥控文件失败"));
        QVERIFY(host.Delivered().Transcript().empty());
    }

    // A refused remote file: the warning box says why, the notice stays the short form.
    void remoteLoadSaysWhy_data() {
        QTest::addColumn<QByteArray>("bytes");  // empty with `folder` set: a directory
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("why");
        QTest::newRow("10 bytes") << QByteArray(10, '\1') << false << QStringLiteral("文件只有 10 字节,应为 16 字节");
        QTest::newRow("empty") << QByteArray() << false << QStringLiteral("文件只有 0 字节,应为 16 字节");
        QTest::newRow("17 bytes") << QByteArray(17, '\1') << false << QStringLiteral("文件超过 16 字节");
        QTest::newRow("a directory") << QByteArray() << true << QString::fromLocal8Bit(std::strerror(EISDIR));
    }
    void remoteLoadSaysWhy() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, folder);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath("keys.remo");
        if (folder) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        AuxHost host;
        ParameterStore::RemoteTable table{};
        table[3] = 0x42;
        host.core->store.SetRemoteTable(table);
        CRemoteDlg remote(host);
        host.Clear();
        host.files = {path};
        remote.ButtonById(CRemoteDlg::kLoadFileId)->click();
        QCOMPARE(host.messages.size(), 1);
        QVERIFY2(host.messages.last().contains(why), qPrintable(host.messages.last()));
        QVERIFY2(host.messages.last().contains(path), qPrintable(host.messages.last()));
        QCOMPARE(host.notices.last(), QStringLiteral("载入遥控文件失败"));
        QCOMPARE(host.core->store.GetRemoteTable(), table);
        QVERIFY(host.Delivered().Transcript().empty());
    }

    void unwritableTarget() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        AuxHost host;
        CRemoteDlg remote(host);
        host.files = {dir.filePath("file/keys.remo")};
        remote.ButtonById(CRemoteDlg::kSaveFileId)->click();
        QCOMPARE(host.messages.size(), 1);
        QVERIFY(host.messages[0].startsWith(QStringLiteral("Can't write to file|Errcode=")));
        QVERIFY(host.messages[0].endsWith(dir.filePath("file/keys.remo") + "\nProbaby it is write protected."));
        QCOMPARE(host.icons[0], AuxContext::Icon::Warning);
        QCOMPARE(host.notices.last(), QStringLiteral("保存遥控文件失败"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"file"});
    }

    void filesNeedTheBox() {
        AuxHost host;
        CRemoteDlg remote(host);
        host.core->link.Close(true);
        host.files = {"a.remo", "b.remo"};
        remote.ButtonById(CRemoteDlg::kLoadFileId)->click();
        remote.ButtonById(CRemoteDlg::kSaveFileId)->click();
        QCOMPARE(host.files.size(), std::size_t{2});  // no file dialog opened
        QCOMPARE(host.notices, QStringList(2, QStringLiteral("请先连接机器再进行此操作!")));
    }

    void helpUncoversThePicture() {
        AuxHost host;
        CRemoteDlg remote(host);
        remote.show();
        QVERIFY(remote.HelpPicture()->geometry().left() >= remote.width());
        remote.ButtonById(CRemoteDlg::kHelpId)->click();
        QCOMPARE(remote.size(), remote.FullSize());
        QVERIFY(remote.rect().contains(remote.HelpPicture()->geometry()));
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::AuxWindowsTest)
#include "AuxWindowsTest.moc"

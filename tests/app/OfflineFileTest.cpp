// The application editing a mode file without a box, against real files and the simulated
// box: the file stands in for the box (title and status bar name it), saving rewrites it in
// place, a file that cannot be used is refused, and a box that arrives with other settings
// gets the question: send mine (only what differs) or read the box (mine kept as memory B).

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "app/OfflineEditing.h"
#include "device/Commands.h"
#include "device/SettingTable.h"
#include "model/ModeFile.h"
#include "sim/SimTransport.h"
#include "tests/app/ShellFixture.h"
#include "ui/AbMemories.h"
#include "ui/UiText.h"

namespace kv::test {

class OfflineFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        IsolateSettings(*m_dir);
    }
    void editsTheFileAndSavesItInPlace_data();
    void editsTheFileAndSavesItInPlace();
    void arrivingBox_data();
    void arrivingBox();
    void unusableFileIsRefused_data();
    void unusableFileIsRefused();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

using Bytes = QByteArray;
constexpr int kReverbOffset = 228;  // reverb level, field 82, in a version-2 file

Bytes FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : Bytes();
}
Bytes WithWord(Bytes bytes, int offset, std::uint32_t word) {
    return bytes.replace(offset, 4, QByteArray(reinterpret_cast<const char*>(&word), 4));
}

// A box's core over a fresh simulated box, read back; its edits go out as a user's do.
struct Core {
    std::shared_ptr<SimBox> box = std::make_shared<SimBox>();
    DeviceContext ctx{MakeSimOpener(box), LinkTimings{}, SyncTimings{0, 0, 0, 0}};
    Core() {
        ctx.link.Open();
        ctx.sync.StartReadBack([](int) {});
        ctx.sync.Wait();
    }
    ~Core() { ctx.link.Close(true); }
    void Set(const char* address, double value) {
        FindSetting(address)->apply(ctx, value);
        ctx.link.AwaitAnswer();
    }
};

// A fresh box's mode with a music EQ band moved, as a box saves it.
QString RoomFile(const QTemporaryDir& dir) {
    Core core;
    core.Set("eq.music.3.gain", -4.5);
    const QString path = dir.filePath(QStringLiteral("room.K4v9"));
    WriteModeFile(QFile::encodeName(path).toStdString(), core.ctx.store);
    return path;
}

void MoveReverb(Shell& shell, int value) {
    shell.Slider(RibbonSlider::Reverb)->setValue(value);
    Q_EMIT shell.Ribbon()->sliderIssued(kCategoryInput, RibbonSlider::Reverb);
    shell.Settle();
}

std::vector<Report> Writes(SimBox& box) {
    std::vector<Report> all = box.Received(cmd::kParamWrite);
    const auto memory = box.Received(cmd::kMemoryWrite);
    all.insert(all.end(), memory.begin(), memory.end());
    return all;
}

double Value(Shell& shell, const char* address) { return FindSetting(address)->read(shell.app->Device()); }

}  // namespace

void OfflineFileTest::editsTheFileAndSavesItInPlace_data() {
    QTest::addColumn<bool>("asDevice");  // file:PATH, or a mode file named at start with no box
    QTest::addColumn<bool>("byClosing");
    QTest::newRow("file:PATH, ribbon save") << true << false;
    QTest::newRow("named at start, saved on closing") << false << true;
}

void OfflineFileTest::editsTheFileAndSavesItInPlace() {
    QFETCH(bool, asDevice);
    QFETCH(bool, byClosing);
    const QString path = RoomFile(*m_dir);
    const Bytes before = FileBytes(path);
    Shell shell(false);
    shell.box->SetUnplugged(true);
    if (asDevice)
        shell.filePath = path.toStdString();
    else
        shell.startFile = path;
    shell.Start();
    QVERIFY(shell.app->Offline().Active());
    QVERIFY(shell.Frame()->windowTitle().endsWith(QFileInfo(path).absoluteFilePath()));
    QCOMPARE(shell.Status()->ConnectionPane()->text(), QStringLiteral("文件：room.K4v9"));
    QCOMPARE(Value(shell, "eq.music.3.gain"), -4.5);  // the file's settings, as a box's

    // A/B on a file as on a box: the switch puts the other memory's settings into the file's store.
    AbMemories& memories = shell.View()->Memories();
    const double reverb = Value(shell, "reverb.level");
    memories.StoreCurrent(AbMemories::kA);
    MoveReverb(shell, 37);
    memories.StoreCurrent(AbMemories::kB);
    QVERIFY(memories.Switch());
    shell.Settle();
    QCOMPARE(Value(shell, "reverb.level"), reverb);
    QVERIFY(memories.Switch());
    shell.Settle();
    QCOMPARE(FileBytes(path), before);  // nothing is written before a save
    // A file has no user-mode slots: nothing is asked, nothing changes.
    shell.View()->LoadUserMode(1);
    shell.View()->SaveUserMode(2);
    QVERIFY(shell.prompts->asked.empty());
    QVERIFY(shell.Info().contains("模式文件没有机器的用户模式"));
    QCOMPARE(Value(shell, "reverb.level"), 37.0);

    if (byClosing) {
        shell.prompts->answers.push_back(UiPrompts::Answer::Yes);
        QVERIFY(shell.Frame()->close());
        QCOMPARE(shell.prompts->asked.size(), std::size_t(1));
    } else {
        shell.app->ToggleLanguage();
        QCOMPARE(shell.Status()->ConnectionPane()->text(), QStringLiteral("File:room.K4v9"));
        shell.View()->SaveModeFile();
    }
    QVERIFY(shell.prompts->saveDefaults.empty());  // no file dialog: the file is the document
    QCOMPARE(FileBytes(path), WithWord(before, kReverbOffset, 37));
    QVERIFY(shell.box->Received().empty());  // the absent box was never spoken to
}

void OfflineFileTest::arrivingBox_data() {
    QTest::addColumn<int>("box");  // 0 fresh, 1 holding the file's mode, 2 not opening
    QTest::addColumn<bool>("sendMine");
    QTest::addColumn<int>("language");
    QTest::newRow("send mine") << 0 << true << kLanguageChinese;
    QTest::newRow("read the box") << 0 << false << kLanguageEnglish;
    QTest::newRow("box with the same settings") << 1 << true << kLanguageChinese;
    QTest::newRow("notice of a box that does not open") << 2 << true << kLanguageChinese;
}

void OfflineFileTest::arrivingBox() {
    QFETCH(int, box);
    QFETCH(bool, sendMine);
    QFETCH(int, language);
    const QString path = RoomFile(*m_dir);
    const Bytes before = FileBytes(path);
    Shell shell(false);
    {
        Core arriving;
        if (box == 1) {
            arriving.Set("eq.music.3.gain", -4.5);
            arriving.Set("reverb.level", 37);
        }
        shell.box = arriving.box;
    }
    shell.box->SetUnplugged(box == 2);
    shell.filePath = path.toStdString();
    shell.Start();
    if (shell.app->Language() != language) shell.app->ToggleLanguage();
    MoveReverb(shell, 37);

    // What a user's edits of the two settings send to a fresh box, in the table's order.
    std::vector<Report> userEdits;
    double boxReverb = 0;
    {
        Core reference;
        boxReverb = FindSetting("reverb.level")->read(reference.ctx);
        reference.box->ClearTranscript();
        reference.Set("reverb.level", 37);
        reference.Set("eq.music.3.gain", -4.5);
        userEdits = Writes(*reference.box);
    }
    shell.box->ClearTranscript();
    shell.prompts->answers.push_back(sendMine ? UiPrompts::Answer::Yes : UiPrompts::Answer::No);
    shell.Watcher()->RaiseArrived();
    if (box == 2) {
        QTest::qWait(50);
        QVERIFY(shell.app->Offline().Active());  // another device's notice: the file stays
        QCOMPARE(shell.accepted->count(), 1);
        QCOMPARE(Value(shell, "reverb.level"), 37.0);
        return;
    }
    QVERIFY(shell.WaitAccepted(2));
    QVERIFY(!shell.app->Offline().Active());
    QCOMPARE(shell.Frame()->windowTitle(), QString::fromLatin1(CKV4420v13App::kCaption));
    const QString memoryB = shell.app->Offline().MemoryBPath();
    if (box == 1) {
        QTest::qWait(50);
        QVERIFY(shell.prompts->asked.empty());  // nothing to choose
        QVERIFY(Writes(shell.Delivered()).empty());
        return;
    }
    QVERIFY(QTest::qWaitFor([&] { return !shell.prompts->asked.empty(); }, kWaitMs));
    QCOMPARE(shell.prompts->asked.size(), std::size_t(1));
    const QString& text = shell.prompts->asked[0].text;
    QCOMPARE(text, OfflineEditing::ArrivalQuestionText(path, 2, memoryB, language));
    QVERIFY(text.contains(language == kLanguageEnglish ? "(2 settings)" : "(2 项设置)"));
    QVERIFY(text.contains("room.K4v9") && !shell.prompts->askedWithCancel[0]);
    if (sendMine) {
        // Exactly what the user's two edits send, and the window shows them.
        QCOMPARE(Writes(shell.Delivered()), userEdits);
        QCOMPARE(Value(shell, "reverb.level"), 37.0);
        QCOMPARE(shell.Slider(RibbonSlider::Reverb)->value(), 37);
        QVERIFY(!QFile::exists(memoryB));
    } else {
        QVERIFY(Writes(shell.Delivered()).empty());  // reading the box changes nothing in it
        QCOMPARE(Value(shell, "reverb.level"), boxReverb);
        QCOMPARE(FileBytes(memoryB), WithWord(before, kReverbOffset, 37));
        QVERIFY(shell.Status()->NoticePane()->text().contains(memoryB));
    }
    QCOMPARE(FileBytes(path), before);  // the file is saved only when asked to
}

void OfflineFileTest::unusableFileIsRefused_data() {
    QTest::addColumn<QByteArray>("bytes");  // empty: no file at all
    QTest::addColumn<QString>("says");
    const QTemporaryDir dir;
    const Bytes good = FileBytes(RoomFile(dir));
    QTest::newRow("not a mode file") << Bytes("a text, not a mode file\n") << "不是可识别版本的模式文件";
    QTest::newRow("newer version") << WithWord(good, 0, 3) << "版本 3";
    QTest::newRow("cut short") << good.left(900) << "文件太短";
    QTest::newRow("value out of range") << WithWord(good, kReverbOffset, 5000) << "超出范围";
    QTest::newRow("missing") << Bytes() << "无法打开文件";
}

void OfflineFileTest::unusableFileIsRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    const QString path = m_dir->filePath(QStringLiteral("bad.K4v9"));
    if (!bytes.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    Shell shell(false);
    shell.filePath = path.toStdString();
    shell.box->SetUnplugged(true);
    shell.prompts->answers.push_back(UiPrompts::Answer::No);  // values out of range: not taken
    shell.Start(false);
    QTest::qWait(50);
    QVERIFY(!shell.app->Offline().Active() && !shell.View()->Connected());
    const bool asked = says == "超出范围";
    const auto& shown = asked ? shell.prompts->asked : shell.prompts->messages;
    QCOMPARE(shown.size(), std::size_t(1));
    QVERIFY2(shown[0].text.contains(says) && shown[0].text.contains(path), qPrintable(shown[0].text));
    if (asked) QVERIFY(shell.prompts->askedDestructive[0]);
    QCOMPARE(FileBytes(path), bytes);  // unchanged, and a missing file is not made
    QCOMPARE(shell.Frame()->windowTitle(), QString::fromLatin1(CKV4420v13App::kCaption));
}

}  // namespace kv::test

QTEST_MAIN(kv::test::OfflineFileTest)
#include "OfflineFileTest.moc"

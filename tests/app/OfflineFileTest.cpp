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
#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "model/ModeFile.h"
#include "sim/SimTransport.h"
#include "tests/app/ShellFixture.h"
#include "ui/UiText.h"

namespace kv::test {

class OfflineFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void editsTheFileAndSavesItInPlace_data();
    void editsTheFileAndSavesItInPlace();
    void arrivingBoxAsksWhoseSettingsWin_data();
    void arrivingBoxAsksWhoseSettingsWin();
    void arrivingBoxWithTheSameSettingsAsksNothing();
    void noticeWithoutABoxKeepsTheFile();
    void closingAsksAndSavesInPlace_data();
    void closingAsksAndSavesInPlace();
    void unusableFileIsRefused_data();
    void unusableFileIsRefused();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

using Bytes = QByteArray;

// Reverb level: field 82, at offset 228 of a version-2 file.
constexpr int kReverbOffset = 228;

Bytes FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : Bytes();
}
void WriteBytes(const QString& path, const Bytes& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A box's core over a simulated box, read back; its edits go out as a user's do.
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

// The mode of a fresh box with a music EQ band moved, as a box saves it.
QString FreshModeFile(const QTemporaryDir& dir, const QString& name) {
    Core core;
    core.Set("eq.music.3.gain", -4.5);
    const QString path = dir.filePath(name);
    WriteModeFile(QFile::encodeName(path).toStdString(), core.ctx.store);
    return path;
}

void Move(Shell& shell, RibbonSlider id, int value) {
    shell.Slider(id)->setValue(value);
    Q_EMIT shell.Ribbon()->sliderIssued(kCategoryInput, id);
}

// What reaches a box that writes: parameters and memory.
std::vector<Report> Writes(SimBox& box) {
    std::vector<Report> all = box.Received(cmd::kParamWrite);
    const auto memory = box.Received(cmd::kMemoryWrite);
    all.insert(all.end(), memory.begin(), memory.end());
    return all;
}

}  // namespace

void OfflineFileTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    IsolateSettings(*m_dir);
}

void OfflineFileTest::editsTheFileAndSavesItInPlace_data() {
    QTest::addColumn<bool>("asDevice");
    QTest::newRow("file:PATH") << true;
    QTest::newRow("mode file named at start, no box") << false;
}

void OfflineFileTest::editsTheFileAndSavesItInPlace() {
    QFETCH(bool, asDevice);
    const QString path = FreshModeFile(*m_dir, QStringLiteral("room.K4v9"));
    const Bytes before = FileBytes(path);
    Shell shell(false);
    shell.box->SetUnplugged(true);
    if (asDevice)
        shell.filePath = QFile::encodeName(path).toStdString();
    else
        shell.startFile = path;
    shell.Start();
    QVERIFY(shell.app->Offline().Active());
    QVERIFY(shell.Frame()->windowTitle().endsWith(QFileInfo(path).absoluteFilePath()));
    QCOMPARE(shell.Status()->ConnectionPane()->text(), QStringLiteral("文件：room.K4v9"));
    // The file's settings are on show, as a box's would be.
    QCOMPARE(FindSetting("eq.music.3.gain")->read(shell.app->Device()), -4.5);

    Move(shell, RibbonSlider::Reverb, 37);
    shell.Settle();
    QVERIFY(shell.Store().SettingsChanged());
    QCOMPARE(FileBytes(path), before);  // nothing is written before a save
    shell.View()->SaveModeFile();
    QVERIFY(shell.prompts->saveDefaults.empty());  // saved in place, no dialog
    Bytes expected = before;
    const std::int32_t level = 37;
    expected.replace(kReverbOffset, 4, QByteArray(reinterpret_cast<const char*>(&level), 4));
    QCOMPARE(FileBytes(path), expected);
    QVERIFY(shell.box->Received().empty());  // the absent box was never spoken to

    // A file has no user-mode slots: nothing is asked, nothing changes.
    shell.View()->LoadUserMode(1);
    shell.View()->SaveUserMode(2);
    QVERIFY(shell.prompts->asked.empty());
    QVERIFY(shell.Info().contains("模式文件没有机器的用户模式"));
    QCOMPARE(FindSetting("reverb.level")->read(shell.app->Device()), 37.0);

    shell.app->ToggleLanguage();
    QCOMPARE(shell.Status()->ConnectionPane()->text(), QStringLiteral("File:room.K4v9"));
}

void OfflineFileTest::arrivingBoxAsksWhoseSettingsWin_data() {
    QTest::addColumn<bool>("sendMine");
    QTest::addColumn<int>("language");
    QTest::newRow("send mine") << true << kLanguageChinese;
    QTest::newRow("read the box") << false << kLanguageEnglish;
}

void OfflineFileTest::arrivingBoxAsksWhoseSettingsWin() {
    QFETCH(bool, sendMine);
    QFETCH(int, language);
    const QString path = FreshModeFile(*m_dir, QStringLiteral("room.K4v9"));
    const Bytes before = FileBytes(path);
    Shell shell(false);
    shell.filePath = QFile::encodeName(path).toStdString();
    shell.Start();
    if (shell.app->Language() != language) shell.app->ToggleLanguage();
    Move(shell, RibbonSlider::Reverb, 37);
    shell.Settle();

    // What a user's edits of the same two settings send to a fresh box, in the setting
    // table's order.
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
    QVERIFY(!userEdits.empty());

    shell.prompts->answers.push_back(sendMine ? UiPrompts::Answer::Yes : UiPrompts::Answer::No);
    shell.Watcher()->RaiseArrived();
    QVERIFY(shell.WaitAccepted(2));
    QVERIFY(QTest::qWaitFor([&] { return !shell.prompts->asked.empty(); }, kWaitMs));
    QCOMPARE(shell.prompts->asked.size(), std::size_t(1));
    QVERIFY(!shell.app->Offline().Active());
    QCOMPARE(shell.Frame()->windowTitle(), QString::fromLatin1(CKV4420v13App::kCaption));
    const QString memoryB = OfflineEditing::MemoryBPath();
    const QString& text = shell.prompts->asked[0].text;
    QCOMPARE(text, OfflineEditing::ArrivalQuestionText(path, 2, memoryB, language));
    QVERIFY(text.contains(language == kLanguageEnglish ? "(2 settings)" : "(2 项设置)"));
    QVERIFY(text.contains("room.K4v9"));
    QVERIFY(!shell.prompts->askedWithCancel[0]);

    Bytes mine = before;
    const std::int32_t level = 37;
    mine.replace(kReverbOffset, 4, QByteArray(reinterpret_cast<const char*>(&level), 4));
    auto& dev = shell.app->Device();
    if (sendMine) {
        // Exactly what the user's two edits send, and the window shows them.
        QCOMPARE(Writes(shell.Delivered()), userEdits);
        QCOMPARE(FindSetting("reverb.level")->read(dev), 37.0);
        QCOMPARE(shell.Slider(RibbonSlider::Reverb)->value(), 37);
        QVERIFY(!QFile::exists(memoryB));
    } else {
        QVERIFY(Writes(shell.Delivered()).empty());  // reading the box changes nothing in it
        QCOMPARE(FindSetting("reverb.level")->read(dev), boxReverb);
        QCOMPARE(FileBytes(memoryB), mine);
        QVERIFY(shell.Status()->NoticePane()->text().contains(memoryB));
    }
    QCOMPARE(FileBytes(path), before);  // the file is saved only when asked to
}

void OfflineFileTest::arrivingBoxWithTheSameSettingsAsksNothing() {
    const QString path = FreshModeFile(*m_dir, QStringLiteral("same.K4v9"));
    Shell shell(false);
    {
        // The box already holds the file's mode.
        Core core;
        core.Set("eq.music.3.gain", -4.5);
        shell.box = core.box;
    }
    shell.filePath = QFile::encodeName(path).toStdString();
    shell.Start();
    shell.box->ClearTranscript();
    shell.Watcher()->RaiseArrived();
    QVERIFY(shell.WaitAccepted(2));
    QTest::qWait(50);
    QVERIFY(shell.prompts->asked.empty());
    QVERIFY(Writes(shell.Delivered()).empty());
    QVERIFY(!QFile::exists(OfflineEditing::MemoryBPath()));
}

void OfflineFileTest::noticeWithoutABoxKeepsTheFile() {
    const QString path = FreshModeFile(*m_dir, QStringLiteral("room.K4v9"));
    Shell shell(false);
    shell.filePath = QFile::encodeName(path).toStdString();
    shell.box->SetUnplugged(true);
    shell.Start();
    Move(shell, RibbonSlider::Reverb, 37);
    shell.Settle();
    shell.Watcher()->RaiseArrived();  // another device, or a box that cannot be opened
    QTest::qWait(50);
    QVERIFY(shell.app->Offline().Active());
    QVERIFY(shell.View()->Connected());
    QCOMPARE(shell.accepted->count(), 1);
    QVERIFY(shell.prompts->asked.empty());
    QCOMPARE(FindSetting("reverb.level")->read(shell.app->Device()), 37.0);
}

void OfflineFileTest::closingAsksAndSavesInPlace_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("Yes saves the file in place") << true;
    QTest::newRow("No leaves it as it was") << false;
}

void OfflineFileTest::closingAsksAndSavesInPlace() {
    QFETCH(bool, save);
    const QString path = FreshModeFile(*m_dir, QStringLiteral("room.K4v9"));
    const Bytes before = FileBytes(path);
    Shell shell(false);
    shell.filePath = QFile::encodeName(path).toStdString();
    shell.Start();
    Move(shell, RibbonSlider::Reverb, 37);
    shell.Settle();
    shell.prompts->answers.push_back(save ? UiPrompts::Answer::Yes : UiPrompts::Answer::No);
    QVERIFY(shell.Frame()->close());
    QCOMPARE(shell.prompts->asked.size(), std::size_t(1));
    QVERIFY(shell.prompts->saveDefaults.empty());  // no file dialog: the file is the document
    Bytes expected = before;
    const std::int32_t level = 37;
    if (save) expected.replace(kReverbOffset, 4, QByteArray(reinterpret_cast<const char*>(&level), 4));
    QCOMPARE(FileBytes(path), expected);
}

void OfflineFileTest::unusableFileIsRefused_data() {
    QTest::addColumn<int>("what");  // 0 text, 1 newer version, 2 cut short, 3 value out of range
    QTest::addColumn<QString>("says");
    QTest::newRow("not a mode file") << 0 << "不是可识别版本的模式文件";
    QTest::newRow("newer version") << 1 << "版本 3";
    QTest::newRow("cut short") << 2 << "文件太短";
    QTest::newRow("value out of range") << 3 << "超出范围";
    QTest::newRow("missing") << 4 << "无法打开文件";
}

void OfflineFileTest::unusableFileIsRefused() {
    QFETCH(int, what);
    QFETCH(QString, says);
    const QString path = FreshModeFile(*m_dir, QStringLiteral("bad.K4v9"));
    Bytes bytes = FileBytes(path);
    const std::uint32_t three = 3, huge = 5000;
    if (what == 0) bytes = "a text, not a mode file\n";
    if (what == 1) bytes.replace(0, 4, QByteArray(reinterpret_cast<const char*>(&three), 4));
    if (what == 2) bytes.truncate(900);
    if (what == 3) bytes.replace(kReverbOffset, 4, QByteArray(reinterpret_cast<const char*>(&huge), 4));
    if (what == 4)
        QFile::remove(path);
    else
        WriteBytes(path, bytes);

    Shell shell(false);
    shell.filePath = QFile::encodeName(path).toStdString();
    shell.box->SetUnplugged(true);
    shell.prompts->answers.push_back(UiPrompts::Answer::No);  // values out of range: not taken
    shell.Start(false);
    QTest::qWait(50);
    QVERIFY(!shell.app->Offline().Active());
    QVERIFY(!shell.View()->Connected());
    const auto& shown = what == 3 ? shell.prompts->asked : shell.prompts->messages;
    QCOMPARE(shown.size(), std::size_t(1));
    QVERIFY2(shown[0].text.contains(says) && shown[0].text.contains(path), qPrintable(shown[0].text));
    if (what == 3) QVERIFY(shell.prompts->askedDestructive[0]);
    QCOMPARE(QFile::exists(path), what != 4);
    if (what != 4) QCOMPARE(FileBytes(path), bytes);
    QCOMPARE(shell.Frame()->windowTitle(), QString::fromLatin1(CKV4420v13App::kCaption));
}

}  // namespace kv::test

QTEST_MAIN(kv::test::OfflineFileTest)
#include "OfflineFileTest.moc"

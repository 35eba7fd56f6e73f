// Damaged and unusable mode files loaded through the main view, against the simulated box:
// nothing out of range reaches the box, a refused file says why, and No leaves all alone.
// "Out of range" is decided on the box's side: what it holds is read back raw into a store
// of its own and put through the same range check.

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <cerrno>
#include <cstring>

#include "device/DeviceContext.h"
#include "device/EqBands.h"
#include "device/ParamReport.h"
#include "device/StoreCheck.h"
#include "model/Bytes.h"
#include "model/ModeFile.h"
#include "sim/SimTransport.h"
#include "tests/app/ShellFixture.h"
#include "ui/UiText.h"

namespace kv::test {
namespace {

using Bytes = QByteArray;
constexpr std::uint32_t kIntMax = 0x7FFFFFFF;
constexpr std::uint32_t kIntMin = 0x80000000;
constexpr std::uint32_t kNaN = 0x7FC00000;
constexpr std::uint32_t kPlusInf = 0x7F800000;
constexpr std::uint32_t kMinusInf = 0xFF800000;
constexpr int kEqPart = 624;  // file offsets of the current format
constexpr int kGainPart = 1771;
constexpr int kPositionPart = 1803;

int FieldOffset(int field) { return 4 + 4 * (field - fld::kModeFileFirst); }
void PutWord(Bytes& b, int at, std::uint32_t v) { PutLe32(reinterpret_cast<std::uint8_t*>(b.data()) + at, v); }
void PutBe16At(Bytes& b, int at, int v) {
    PutBe16(reinterpret_cast<std::uint8_t*>(b.data()) + at, static_cast<std::uint16_t>(v));
}
bool IsFloatKind(int field) {
    const FieldKind k = KindOf(field);
    return k == FieldKind::Float || k == FieldKind::Millis;
}
int BandOffset(EqId id, int band) {
    const EqInfo& e = EqInfoOf(id);
    return kEqPart + EqBase(e.module) + kBandDescriptorSize * (e.firstSlot + EqDeviceBand(id, band));
}

QString Lines(const std::vector<OutOfRange>& list) {
    QString s;
    for (const auto& o : list) s += QString::fromStdString(DescribeOutOfRange(o)) + QLatin1Char('\n');
    return s;
}

std::vector<std::uint8_t> StoreBytes(const ParameterStore& s) { return EncodeModeFile(s); }

}  // namespace

class HostileFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void refusedFilesSayWhy_data();
    void refusedFilesSayWhy();
    void damagedFiles_data();
    void damagedFiles();
    void oneDamagedWordAtATime_data();
    void oneDamagedWordAtATime();
    void testersFileSendsFullLevelAtMost();
    void longListsEndWithACount();
    void recentFilesAskToo();
    void versionOneFilesAreCheckedToo();

private:
    QString Write(const QString& name, const Bytes& bytes) {
        const QString path = m_files->filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
        f.write(bytes);
        return path;
    }
    void SetLanguage(int language) {
        if (m_shell->app->Language() != language) m_shell->app->ToggleLanguage();
    }
    // Writes to the box since the transcript was cleared, other than the meter polls.
    std::size_t Writes() const {
        const SimBox& box = m_shell->Delivered();
        return box.Received(cmd::kParamWrite).size() + box.Received(cmd::kMemoryWrite).size() +
               box.Received(cmd::kModeNameWrite).size() + box.Received(cmd::kModeSave).size();
    }
    // What the box holds, read back raw and checked.
    std::vector<OutOfRange> BoxSide() {
        m_shell->Settle();
        DeviceContext back(MakeSimOpener(m_shell->box), LinkTimings{2000, 500, 5}, SyncTimings{0, 0, 0, 0},
                           EncoderTimings{0, 0});
        back.sync.SetClampAfterReadBack(false);
        if (!back.link.Open()) return {{"link", "", ""}};
        if (!back.sync.StartReadBack(nullptr)) return {{"sync", "", ""}};
        back.sync.Wait();
        return CheckStore(back.store);
    }
    // Loads a file through the view's path, answering the question (if any) with `answer`.
    bool Load(const QString& path, UiPrompts::Answer answer) {
        m_shell->prompts->asked.clear();
        m_shell->prompts->messages.clear();
        m_shell->prompts->answers = {answer};
        const bool loaded = m_shell->View()->LoadModeFileFrom(path);
        m_shell->WaitSyncHandled();
        m_shell->prompts->answers.clear();
        return loaded;
    }

    std::unique_ptr<QTemporaryDir> m_settings, m_files;
    std::unique_ptr<Shell> m_shell;
    Bytes m_base;  // the box's own state as a mode file
};

void HostileFileTest::initTestCase() {
    m_settings = std::make_unique<QTemporaryDir>();
    m_files = std::make_unique<QTemporaryDir>();
    IsolateSettings(*m_settings);
    m_shell = std::make_unique<Shell>();
    QVERIFY(m_shell->app->Device().link.IsOpen());
    const auto base = EncodeModeFile(m_shell->Store());
    m_base = Bytes(reinterpret_cast<const char*>(base.data()), static_cast<qsizetype>(base.size()));
    QCOMPARE(Lines(BoxSide()), QString());
}

void HostileFileTest::cleanupTestCase() { m_shell.reset(); }

void HostileFileTest::init() { m_shell->Delivered().ClearTranscript(); }

void HostileFileTest::refusedFilesSayWhy_data() {
    QTest::addColumn<QString>("kind");  // bytes, folder, missing, unreadable, under a file, fifo
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("mentions");
    const auto v = [](std::uint32_t version, int size) {
        Bytes b(size, '\0');
        if (size >= 4) PutWord(b, 0, version);
        return b;
    };
    const QString dir = QString::fromLocal8Bit(std::strerror(EISDIR));
    const QString missing = QString::fromLocal8Bit(std::strerror(ENOENT));
    const QString denied = QString::fromLocal8Bit(std::strerror(EACCES));
    const QString notDir = QString::fromLocal8Bit(std::strerror(ENOTDIR));
    struct Case {
        const char* name;
        const char* kind;
        Bytes bytes;
        QStringList zh, en;
    };
    const std::vector<Case> cases{
        {"empty", "bytes", Bytes(), {"太短", "0 字节", "1823"}, {"too short", "0 bytes of 1823"}},
        {"3 bytes", "bytes", Bytes(3, '\2'), {"太短", "3 字节", "1823"}, {"too short", "3 bytes of 1823"}},
        {"100 bytes", "bytes", v(2, 100), {"太短", "100 字节", "1823"}, {"too short", "100 bytes of 1823"}},
        {"1814 bytes v1", "bytes", v(1, 1814), {"太短", "1814 字节", "1815"}, {"too short", "1814 bytes of 1815"}},
        {"1822 bytes v2", "bytes", v(2, 1822), {"太短", "1822 字节", "1823"}, {"too short", "1822 bytes of 1823"}},
        {"version 3", "bytes", v(3, 1823), {"版本 3"}, {"version 3"}},
        {"version 0xFFFFFFFF", "bytes", v(0xFFFFFFFF, 1823), {"版本 4294967295"}, {"version 4294967295"}},
        {"a directory", "folder", Bytes(), {"无法打开", dir}, {"Can't open", dir}},
        {"missing", "missing", Bytes(), {"无法打开", missing}, {"Can't open", missing}},
        {"unreadable", "unreadable", Bytes(1823, '\0'), {"无法打开", denied}, {"Can't open", denied}},
        {"under a file", "under a file", Bytes(), {"无法打开", notDir}, {"Can't open", notDir}},
        {"a FIFO", "fifo", Bytes(), {"不是模式文件"}, {"Not a mode file"}},
    };
    for (const Case& c : cases) {
        QTest::addRow("%s, zh", c.name) << c.kind << c.bytes << int(kLanguageChinese) << c.zh;
        QTest::addRow("%s, en", c.name) << c.kind << c.bytes << int(kLanguageEnglish) << c.en;
    }
}

void HostileFileTest::refusedFilesSayWhy() {
    QFETCH(QString, kind);
    QFETCH(Bytes, bytes);
    QFETCH(int, language);
    QFETCH(QStringList, mentions);
    SetLanguage(language);
    QString path = m_files->filePath(QStringLiteral("refused-%1.K4v9").arg(QTest::currentDataTag()));
    path.replace(QLatin1Char(','), QLatin1Char('_'));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("fifo")) {
        // Nobody ever writes into it: an ordinary open would wait forever.
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == QLatin1String("under a file")) {
        QFile plain(path);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        path += QStringLiteral("/inside.K4v9");
    } else if (kind == QLatin1String("bytes") || kind == QLatin1String("unreadable")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        if (kind == QLatin1String("unreadable")) {
            if (::geteuid() == 0) QSKIP("root reads any file");
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0) == 0);
        }
    }
    const auto before = StoreBytes(m_shell->Store());
    QVERIFY(!Load(path, UiPrompts::Answer::Yes));
    QVERIFY(m_shell->prompts->asked.empty());
    QCOMPARE(m_shell->prompts->messages.size(), std::size_t{1});
    const QString text = m_shell->prompts->messages[0].text;
    for (const QString& m : mentions) QVERIFY2(text.contains(m), qPrintable(text + " lacks " + m));
    QVERIFY2(text.contains(path), qPrintable(text));
    QCOMPARE(m_shell->prompts->messages[0].caption,
             language == kLanguageEnglish ? QStringLiteral("Error") : QStringLiteral("错误"));
    QVERIFY(StoreBytes(m_shell->Store()) == before);
    QCOMPARE(Writes(), std::size_t{0});
}

void HostileFileTest::damagedFiles_data() {
    QTest::addColumn<int>("intWord");
    QTest::addColumn<int>("floatWord");
    QTest::addColumn<bool>("answerYes");
    const struct {
        const char* name;
        std::uint32_t ints, floats;
    } words[] = {{"INT_MAX, NaN", kIntMax, kNaN},
                 {"INT_MIN, +inf", kIntMin, kPlusInf},
                 {"INT_MAX, -inf", kIntMax, kMinusInf},
                 {"INT_MIN, 1e30", kIntMin, std::bit_cast<std::uint32_t>(1e30f)}};
    for (const auto& w : words) {
        QTest::addRow("%s, Yes", w.name) << int(w.ints) << int(w.floats) << true;
        QTest::addRow("%s, No", w.name) << int(w.ints) << int(w.floats) << false;
    }
}

// Every field damaged at once, the EQ image and both blocks too.
void HostileFileTest::damagedFiles() {
    QFETCH(int, intWord);
    QFETCH(int, floatWord);
    QFETCH(bool, answerYes);
    SetLanguage(kLanguageEnglish);
    Bytes b = m_base;
    for (int f = fld::kModeFileFirst; f <= fld::kModeFileLast; ++f)
        PutWord(b, FieldOffset(f), static_cast<std::uint32_t>(IsFloatKind(f) ? floatWord : intWord));
    for (int i = kEqPart; i < kEqPart + kEqImageSize; ++i) b[i] = '\xFF';
    for (int i = kGainPart; i < kGainPart + kSpeakerGainSize; ++i) b[i] = '\x7F';
    for (int i = kPositionPart; i < kPositionPart + kSpeakerPosSize; ++i) b[i] = '\x7F';
    const QString path = Write(QStringLiteral("damaged.K4v9"), b);

    // The list the question must show: the file's values against the box's ranges.
    ParameterStore file;
    file.SetAppliedSettings(m_shell->Store().AppliedSettings());
    file.SetCommandSetVersion(m_shell->Store().CommandSetVersion());
    QCOMPARE(DecodeModeFile({reinterpret_cast<const std::uint8_t*>(b.constData()), std::size_t(b.size())}, file).status,
             ModeFileStatus::Ok);
    const auto expected = CheckStore(file);
    QVERIFY(expected.size() > 300);

    const auto before = StoreBytes(m_shell->Store());
    const bool loaded = Load(path, answerYes ? UiPrompts::Answer::Yes : UiPrompts::Answer::No);
    QCOMPARE(loaded, answerYes);
    QCOMPARE(m_shell->prompts->asked.size(), std::size_t{1});
    const QString question = m_shell->prompts->asked[0].text;
    QVERIFY2(question.startsWith(QStringLiteral("%1 setting(s)").arg(expected.size())), qPrintable(question));
    QVERIFY(question.contains(QString::fromStdString(expected[0].address)));
    QVERIFY(m_shell->prompts->messages.empty());
    if (!answerYes) {
        QVERIFY(StoreBytes(m_shell->Store()) == before);
        QCOMPARE(Writes(), std::size_t{0});
    } else {
        QVERIFY(Writes() > 0);
        QCOMPARE(Lines(CheckStore(m_shell->Store())), QString());
    }
    QCOMPARE(Lines(BoxSide()), QString());
}

void HostileFileTest::oneDamagedWordAtATime_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("size");  // 4 a little-endian word, 2 a big-endian half word, 1 a byte
    QTest::addColumn<int>("value");
    for (int f = fld::kModeFileFirst; f <= fld::kModeFileLast; ++f)
        QTest::addRow("field %d", f) << FieldOffset(f) << 4 << int(IsFloatKind(f) ? kNaN : kIntMax);
    for (const EqInfo& e : kEqualisers) {
        for (int band = 0; band < e.bands; ++band) {
            // Each band one of its values: gain, frequency, Q or section code in turn.
            const int part = band % 4;
            const int at = BandOffset(e.id, band) + 2 * part;
            QTest::addRow("eq %s band %d part %d", EqName(e.id).data(), band + 1, part)
                << at << (part == 3 ? 1 : 2) << (part == 3 ? 0xFF : 0xFFFF);
        }
    }
    for (int i = 0; i < kSpeakerPosSize; ++i) QTest::addRow("position byte %d", i) << kPositionPart + i << 1 << 0x7F;
    for (int s = 0; s < 8; ++s) QTest::addRow("speaker gain %d", s) << kGainPart + 4 * s << 1 << 0x7F;
}

void HostileFileTest::oneDamagedWordAtATime() {
    QFETCH(int, offset);
    QFETCH(int, size);
    QFETCH(int, value);
    SetLanguage(kLanguageEnglish);
    Bytes b = m_base;
    if (size == 4) PutWord(b, offset, static_cast<std::uint32_t>(value));
    if (size == 2) PutBe16At(b, offset, value);
    if (size == 1) b[offset] = static_cast<char>(value);
    QVERIFY(Load(Write(QStringLiteral("word.K4v9"), b), UiPrompts::Answer::Yes));
    QCOMPARE(m_shell->prompts->asked.size(), std::size_t{1});
    const QString question = m_shell->prompts->asked[0].text;
    QVERIFY2(question.startsWith(QStringLiteral("1 setting(s)")), qPrintable(question));
    QCOMPARE(Lines(BoxSide()), QString());
    QCOMPARE(Lines(CheckStore(m_shell->Store())), QString());
}

// The file the problem was found with: the MAIN music mix at 0x7FFFFFFF, MAIN unmuted.
void HostileFileTest::testersFileSendsFullLevelAtMost() {
    SetLanguage(kLanguageChinese);
    Bytes b = m_base;
    PutWord(b, FieldOffset(fld::kMain.mixMusic()), kIntMax);
    PutWord(b, FieldOffset(fld::kMain.mute()), 0);
    QVERIFY(Load(Write(QStringLiteral("tester.K4v9"), b), UiPrompts::Answer::Yes));
    QCOMPARE(m_shell->prompts->asked.size(), std::size_t{1});
    QCOMPARE(m_shell->prompts->asked[0].caption, QStringLiteral("数值超出范围"));
    QVERIFY(m_shell->prompts->askedDestructive[0]);
    QVERIFY2(m_shell->prompts->asked[0].text.contains(QStringLiteral("main.mix.music: 2147483647% \u2192 100%")),
             qPrintable(m_shell->prompts->asked[0].text));
    // The mix goes out as the full level, 1.0, and no more.
    const auto writes = m_shell->Delivered().Received(cmd::kParamWrite);
    const Report full = ParamFloats(module::kMain, 31, 1.0f);
    int seen = 0;
    for (const Report& r : writes) {
        const ParamReport p(r);
        if (p.Module() != module::kMain || p.Parameter() != 31) continue;
        QVERIFY2(r == full, ToHex(r).c_str());
        ++seen;
    }
    QVERIFY(seen > 0);
    QCOMPARE(m_shell->Store().Int(fld::kMain.mixMusic()), 100);
}

void HostileFileTest::longListsEndWithACount() {
    SetLanguage(kLanguageChinese);
    Bytes b = m_base;
    // Twenty values out of range: the question shows twelve and counts the rest.
    for (int f = fld::kMain.mixDirect(); f < fld::kMain.mixDirect() + 4; ++f) PutWord(b, FieldOffset(f), 500);
    for (const auto* o : {&fld::kRear, &fld::kTop, &fld::kCenter, &fld::kSub})
        for (int f = o->mixDirect(); f < o->mixDirect() + 4; ++f) PutWord(b, FieldOffset(f), 500);
    QVERIFY(!Load(Write(QStringLiteral("long.K4v9"), b), UiPrompts::Answer::No));
    QCOMPARE(m_shell->prompts->asked.size(), std::size_t{1});
    const QString text = m_shell->prompts->asked[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("此文件中有 20 项设置超出范围")), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("\u2192")), 12 + 1);  // twelve lines and the closing question
    QVERIFY2(text.contains(QStringLiteral("另有 8 项")), qPrintable(text));
    QCOMPARE(Writes(), std::size_t{0});
}

// Opening from the recent-file list or the command line takes the same path.
void HostileFileTest::recentFilesAskToo() {
    SetLanguage(kLanguageEnglish);
    Bytes b = m_base;
    PutWord(b, FieldOffset(fld::kMusicVolume), kIntMax);
    const QString path = Write(QStringLiteral("recent.K4v9"), b);
    m_shell->prompts->asked.clear();
    m_shell->prompts->answers = {UiPrompts::Answer::No};
    const auto before = StoreBytes(m_shell->Store());
    QVERIFY(!m_shell->View()->OpenModeFile(path));
    QCOMPARE(m_shell->prompts->asked.size(), std::size_t{1});
    QVERIFY(m_shell->prompts->asked.back().text.contains(QStringLiteral("music.level: 2147483647 \u2192 99")));
    QVERIFY(StoreBytes(m_shell->Store()) == before);
    QCOMPARE(Writes(), std::size_t{0});
}

// A file of the previous format: fields 26..178, every later part 8 bytes lower.
void HostileFileTest::versionOneFilesAreCheckedToo() {
    SetLanguage(kLanguageEnglish);
    Bytes b = m_base;
    PutWord(b, 0, kModeFileVersion1);
    PutWord(b, FieldOffset(fld::kSub.mixMusic()), 0x7FFFFFFF);
    b.remove(FieldOffset(fld::kMusicAgc), 8);
    QCOMPARE(b.size(), qsizetype(kModeFileSizeV1));
    QVERIFY(Load(Write(QStringLiteral("old.K4v8"), b), UiPrompts::Answer::Yes));
    QCOMPARE(m_shell->prompts->asked.size(), std::size_t{1});
    QVERIFY2(m_shell->prompts->asked[0].text.startsWith(QStringLiteral("1 setting(s)")),
             qPrintable(m_shell->prompts->asked[0].text));
    QVERIFY(m_shell->prompts->asked[0].text.contains(QStringLiteral("sub.mix.music")));
    QCOMPARE(m_shell->Store().Int(fld::kSub.mixMusic()), 300);
    QCOMPARE(Lines(BoxSide()), QString());
}

}  // namespace kv::test

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    kv::test::HostileFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HostileFileTest.moc"

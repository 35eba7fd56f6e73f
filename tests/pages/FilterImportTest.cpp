// The equaliser editor's filter import and export: a measurement program's file applied to
// every band and sent, a file that does not fit refused with nothing sent, and an exported
// equaliser imported into another box giving the same bytes.

#include <QFile>
#include <QTemporaryDir>

#include "EqEditing.h"
#include "PageFixture.h"
#include "pages/CDialogOutput.h"
#include "pages/CEqEditor.h"

namespace kv::test {

namespace {
const EqPlace kMain{5, 0, 511};
CEqEditor* Editor(PageHost& host) { return host.page->Equaliser(); }
QString DataFile(const char* name) { return QStringLiteral(KV_TEST_DATA_DIR "/") + QString::fromLatin1(name); }
}  // namespace

class FilterImportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void importsAMeasurementFile() {
        PageHost host;
        host.ShowPage(PageId::Output, eqkind::kMain);
        host.Clear();
        QString message;
        QVERIFY(Editor(host)->ImportFilters(DataFile("room-correction.txt"), &message));
        // Both shelves were given without Q: said in the interface's language.
        QVERIFY2(message.contains(QStringLiteral("第 12 行")) && message.contains(QStringLiteral("第 13 行")),
                 qPrintable(message));
        const std::vector<Report> writes = host.Writes();
        QCOMPARE(writes.size(), std::size_t(2 * 24));  // every band, the rest switched off
        struct Want {
            int code;
            float gain, hz, q;
        };
        // Taken at the box's resolution: 41.5 Hz is held, and designed, as 41 Hz.
        const Want want[] = {{1, -6.5f, 41.0f, 4.2f},
                             {1, -3.0f, 63.0f, 2.5f},
                             {4, 2.0f, 120.0f, 0.707f},
                             {5, -1.5f, 8000.0f, 0.707f},
                             {0, 0, 0, 0},
                             {3, 0.0f, 25.0f, 0.707f}};
        for (int b = 0; b < 6; ++b) {
            const eq::BandRecord& r = Editor(host)->Panel()->Band(b);
            QCOMPARE(r.code, want[b].code);
            if (!want[b].code) continue;
            QCOMPARE(r.frequency, want[b].hz);
            QCOMPARE(r.gain, want[b].gain);
            QVERIFY(std::fabs(r.q - want[b].q) < 1e-3);
            const auto sent = BandSent(kMain, b, want[b].code, r.gain, r.frequency, r.q);
            QCOMPARE(HexOf(writes[std::size_t(2 * b)]), HexOf(sent[0]));
            QCOMPARE(HexOf(writes[std::size_t(2 * b + 1)]), HexOf(sent[1]));
        }
        QCOMPARE(Editor(host)->Panel()->Band(23).code, 0);
    }

    void exportedFileGivesAnotherBoxTheSameBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("main.txt"));
        PageHost first;
        first.ShowPage(PageId::Output, eqkind::kMain);
        QString message;
        QVERIFY(Editor(first)->ImportFilters(DataFile("room-correction.txt"), &message));
        // A hand-set band with values that have no exact decimal form.
        Editor(first)->Panel()->bandChanged(7);
        Editor(first)->GainEdit()->setText(QStringLiteral("-0.3"));
        Editor(first)->QEdit()->setText(QStringLiteral("1.41"));
        Editor(first)->FreqEdit()->setText(QStringLiteral("1234"));
        Editor(first)->ApplyEdits();
        QVERIFY(Editor(first)->ExportFilters(path, &message));
        first.Clear();
        QVERIFY(Editor(first)->ImportFilters(path, &message));  // the same box, for its bytes

        PageHost second;
        second.ShowPage(PageId::Output, eqkind::kMain);
        second.Clear();
        QVERIFY(Editor(second)->ImportFilters(path, &message));
        QCOMPARE(Hex(second.Writes()), Hex(first.Writes()));
        for (int b = 0; b < 24; ++b) {
            const BandDescriptor a = first.core->encoders.ReadBand(EqId::Main, b);
            const BandDescriptor c = second.core->encoders.ReadBand(EqId::Main, b);
            QCOMPARE(c.code, a.code);
            QCOMPARE(c.frequencyHz, a.frequencyHz);
            QCOMPARE(c.gainDb, a.gainDb);
            QCOMPARE(c.q, a.q);
        }
    }

    // The menu commands ask the page context for the file and tell through it; a cancelled
    // dialog does nothing.
    void menuCommandsGoThroughTheContext() {
        QTemporaryDir dir;
        PageHost host;
        host.ShowPage(PageId::Output, eqkind::kMain);
        host.Clear();
        Editor(host)->AskImport();  // cancelled
        Editor(host)->AskExport();
        QCOMPARE(host.fileDialogs.size(), std::size_t(2));
        QVERIFY(host.Writes().empty());
        QVERIFY(host.messages.empty());

        host.fileAnswer = DataFile("room-correction.txt");
        Editor(host)->AskImport();
        QCOMPARE(host.Writes().size(), std::size_t(2 * 24));
        QCOMPARE(host.messages.size(), std::size_t(1));  // the notes on the two shelves
        QCOMPARE(host.messages[0].kind, PageContext::MessageKind::Information);

        // An export into a folder that is gone: the message says so.
        host.fileAnswer = dir.filePath(QStringLiteral("missing/main.txt"));
        Editor(host)->AskExport();
        QCOMPARE(host.messages.size(), std::size_t(2));
        QCOMPARE(host.messages[1].kind, PageContext::MessageKind::Warning);
        QVERIFY2(host.messages[1].text.contains(QStringLiteral("missing/main.txt")), qPrintable(host.messages[1].text));
        QVERIFY(!QFile::exists(host.fileAnswer));
    }

    void refusedFileChangesNothing_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::addRow("type") << eqkind::kRear
                              << QByteArray("Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2: ON XX Fc 1 Hz\n")
                              << QStringLiteral("line 2");
        QTest::addRow("too many for REAR")
            << eqkind::kRear
            << QByteArray(11 * 20, 0).replace('\0', ' ').prepend(QByteArray("Filter 1: OFF\n").repeated(11))
            << QStringLiteral("line 11");
        QTest::addRow("SUB rows") << eqkind::kSub << QByteArray("Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\n")
                                  << QStringLiteral("SUB");
    }
    void refusedFileChangesNothing() {
        QFETCH(int, kind);
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("bad.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        PageHost host(1);
        host.ShowPage(PageId::Output, kind);
        const float before = Editor(host)->Panel()->Band(0).frequency;
        host.Clear();
        QString message;
        QVERIFY(!Editor(host)->ImportFilters(f.fileName(), &message));
        QVERIFY2(message.contains(error), qPrintable(message));
        QVERIFY(host.Writes().empty());
        QCOMPARE(Editor(host)->Panel()->Band(0).frequency, before);
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::FilterImportTest)
#include "FilterImportTest.moc"

#pragma once
// A host for the auxiliary windows: the core over an in-process simulated box, the
// language tables, notices and message boxes recorded, file dialogs answered from a list,
// and the learned-key hand-over the application makes.

#include <QMetaObject>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "device/Commands.h"
#include "device/DeviceContext.h"
#include "dialogs/AuxContext.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"
#include "tests/common/Reports.h"
#include "ui/LanguageTable.h"

namespace kv::test {

// The settings write the box must receive for a record.
inline Report SettingsWrite(const ParameterStore::Settings& r) {
    Report rep{};
    rep[0] = kReportNumber;
    rep[1] = cmd::kSettingsWrite;
    for (std::size_t i = 0; i < r.size(); ++i) rep[2 + i] = r[i];
    return rep;
}

class AuxHost : public QObject, public AuxContext {
public:
    explicit AuxHost(int language = 0, int commandSet = 9)
        : box(std::make_shared<SimBox>()),
          core(std::make_unique<DeviceContext>(MakeSimOpener(box), LinkTimings{2000, 500, 5}, SyncTimings{0, 0, 0, 0},
                                               EncoderTimings{0, 0})),
          m_language(language) {
        box->SetModelName("KV4420M");
        box->SetCommandSetVersion(commandSet);
        core->store.SetCommandSetVersion(commandSet);
        // As the application does: the window's writes are queued.
        core->link.QueueWritesFrom(std::this_thread::get_id());
        core->link.Open();
        m_table.Load(language);
        core->parser.SetKeyLearnedHook([this](int key) {
            QMetaObject::invokeMethod(
                this,
                [this, key] {
                    if (onKeyLearned) onKeyLearned(key);
                },
                Qt::BlockingQueuedConnection);
        });
    }
    ~AuxHost() override {
        core->link.Close(true);
        core.reset();
    }

    DeviceContext& Device() override { return *core; }
    int Language() const override { return m_language; }
    void ApplyTable(QWidget* w, int dialog) const override { m_table.Apply(w, dialog); }
    void Notice(const QString& text, int) override { notices << text; }
    void ShowPage(PageId, int) override {}
    PageState& State() override { return m_state; }
    void Message(const QString& caption, const QString& text, Icon icon) override {
        messages << caption + "|" + text;
        icons.push_back(icon);
    }
    bool AskYes(const QString& caption, const QString& text) override {
        asked << caption + "|" + text;
        return answerYes;
    }
    bool AskDestructive(const QString& caption, const QString& text) override {
        asked << caption + "|" + text;
        return answerYes;
    }
    QString OpenFile(const QString& filter) override {
        filters << filter;
        return Next();
    }
    QString SaveFile(const QString& suffix, const QString& filter) override {
        filters << suffix + "|" + filter;
        return Next();
    }
    void ReadBack() override { ++readBacks; }
    QWidget* MainWindow() override { return nullptr; }

    // Reports of one command the box received since the last Clear, as hex without trailing zeros.
    QStringList Sent(std::uint8_t command) const {
        core->link.Flush();
        QStringList out;
        for (const auto& e : box->Transcript())
            if (e.direction == SimBox::Direction::ToBox && e.report[1] == command) out << HexOf(e.report);
        return out;
    }
    QStringList ParamWrites() const { return Sent(cmd::kParamWrite); }
    static QString HexOf(const Report& r) {
        std::size_t n = r.size();
        while (n > 2 && r[n - 1] == 0) --n;
        return QString::fromStdString(ToHex(std::span<const std::uint8_t>(r.data(), n)));
    }
    static QStringList Hex(std::initializer_list<Report> reports) {
        QStringList out;
        for (const Report& r : reports) out << HexOf(r);
        return out;
    }
    // The box once every report the window queued reached it.
    SimBox& Delivered() {
        core->link.Flush();
        return *box;
    }
    void Clear() {
        core->link.Flush();
        box->ClearTranscript();
    }
    // Lets the box take and answer everything sent so far, as a box that keeps up does
    // between two steps of the user.
    void Settle() { core->link.AwaitAnswer(); }

    std::shared_ptr<SimBox> box;
    std::unique_ptr<DeviceContext> core;
    QStringList notices, messages, asked, filters;
    std::vector<Icon> icons;
    std::deque<QString> files;  // an empty entry is a cancelled dialog
    bool answerYes = false;
    int readBacks = 0;
    std::function<void(int)> onKeyLearned;

private:
    QString Next() {
        if (files.empty()) return {};
        QString f = files.front();
        files.pop_front();
        return f;
    }
    int m_language;
    LanguageTable m_table;
    PageState m_state;
};

}  // namespace kv::test

#pragma once
// A page host for tests: the core over an in-process simulated box, the language tables,
// and a window that hosts pages through the registry as the main view does.

#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <memory>
#include <thread>
#include <vector>

#include "device/DeviceContext.h"
#include "pages/CPageBase.h"
#include "pages/PageRegistry.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"
#include "tests/common/Reports.h"
#include "ui/LanguageTable.h"
#include "ui/PageContext.h"

namespace kv::test {

class PageHost : public PageContext {
public:
    explicit PageHost(int language = 0, LinkTimings timings = LinkTimings{2000, 500, 5})
        : box(std::make_shared<SimBox>()),
          core(std::make_unique<DeviceContext>(MakeSimOpener(box), timings, SyncTimings{0, 0, 0, 0},
                                               EncoderTimings{0, 0})),
          m_language(language) {
        box->SetModelName("KV4420M");
        box->SetCommandSetVersion(9);
        core->store.SetCommandSetVersion(9);
        // As the application does: the window's writes are queued.
        core->link.QueueWritesFrom(std::this_thread::get_id());
        core->link.Open();
        m_table.Load(language);
        window.resize(1170, 565);
    }
    ~PageHost() override {
        delete page;
        core.reset();
    }

    DeviceContext& Device() override { return *core; }
    int Language() const override { return m_language; }
    void ApplyTable(QWidget* w, int dialog) const override { m_table.Apply(w, dialog); }
    void Notice(const QString& text, int) override { notices.push_back(text); }
    PageState& State() override { return state; }
    bool AskDestructive(const QString& caption, const QString& text) override {
        asked.push_back(caption + "|" + text);
        return answerYes;
    }
    QString ChooseOpenFile(const QString& caption, const QString&) override {
        fileDialogs.push_back(caption);
        return fileAnswer;
    }
    QString ChooseSaveFile(const QString& caption, const QString&, const QString&) override {
        fileDialogs.push_back(caption);
        return fileAnswer;
    }
    void ShowMessage(const QString& caption, const QString& text, MessageKind kind) override {
        messages.push_back({caption, text, kind});
    }
    void ShowPage(PageId id, int kind) override {
        PageRegistry::Pages().Host(page, id, kind, *this, &window, window.rect());
    }
    void SetLanguage(int language) {
        m_language = language;
        m_table.Load(language);
        if (page) page->Relabel();
    }

    // Parameter and memory writes the box received since the last Clear, once every report
    // the window queued reached it.
    std::vector<Report> Writes() const {
        core->link.Flush();
        std::vector<Report> all;
        for (const auto& e : box->Transcript())
            if (e.direction == SimBox::Direction::ToBox &&
                (e.report[1] == cmd::kParamWrite || e.report[1] == cmd::kMemoryWrite))
                all.push_back(e.report);
        return all;
    }
    void Clear() {
        core->link.Flush();
        box->ClearTranscript();
    }
    // The box once every report the window queued reached it.
    SimBox& Delivered() {
        core->link.Flush();
        return *box;
    }
    // Lets the box take and answer everything sent so far, as a box that keeps up does
    // between two steps of the user.
    void Settle() { core->link.AwaitAnswer(); }

    std::shared_ptr<SimBox> box;
    std::unique_ptr<DeviceContext> core;
    PageState state;
    QWidget window;
    QPointer<CPageBase> page;
    std::vector<QString> notices;
    // The file dialogs' answer (empty: cancelled), the captions of the dialogs shown, and the
    // message boxes.
    QString fileAnswer;
    std::vector<QString> fileDialogs;
    struct Message {
        QString caption, text;
        MessageKind kind;
    };
    std::vector<Message> messages;
    std::vector<QString> asked;  // destructive questions, answered by answerYes
    bool answerYes = true;

private:
    int m_language;
    LanguageTable m_table;
};

}  // namespace kv::test

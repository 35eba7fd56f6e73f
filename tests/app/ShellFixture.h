#pragma once
// The real application object and frame against the simulated box, with short waits.

#include <QCheckBox>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMFCMyRibbonStatusBar.h"
#include "app/CMFCRibbonStepSlider.h"
#include "app/CMainFrame.h"
#include "app/CMyMFCRibbonBar.h"
#include "app/ManualHotplugWatcher.h"
#include "device/Report.h"
#include "sim/SimBox.h"
#include "tests/app/ScriptedPrompts.h"

namespace kv::test {

constexpr int kWaitMs = 20000;
constexpr int kSocketPollMs = 20;

// Settings of every test go to a directory of their own.
inline void IsolateSettings(const QTemporaryDir& dir) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings(settings::kOrganization, settings::kApplication).clear();
}

struct Shell {
    std::shared_ptr<SimBox> box = std::make_shared<SimBox>();
    // When set, the box is reached over this Unix socket (see ServedBox) instead of in process.
    std::string socketPath;
    // When set, the application edits this mode file in the box's place (file:PATH); box is
    // then the one that may arrive meanwhile.
    std::string filePath;
    QString startFile;          // a mode file named on the command line
    int syncGiveUpMs = 120000;  // how long the progress window waits for the box's next answer
    std::shared_ptr<ScriptedPrompts> prompts = std::make_shared<ScriptedPrompts>();
    std::unique_ptr<CKV4420v13App> app;
    std::unique_ptr<QSignalSpy> accepted;

    explicit Shell(bool start = true, bool waitForSync = true) {
        box->SetModelName("KV4420M");
        box->SetCommandSetVersion(9);
        if (start) Start(waitForSync);
    }
    ~Shell() {
        if (app) app->Shutdown();
        app.reset();
    }

    void Start(bool waitForSync = true) {
        AppOptions options;
        options.uri.kind = TransportUri::Kind::Sim;
        options.simBox = box;
        options.linkTimings.permitWaitMs = 1000;
        options.linkTimings.readPollMs = 5;
        options.syncTimings = SyncTimings{0, 0, 0, 0};
        options.encoderTimings = EncoderTimings{0, 0};
        options.startDelayMs = 0;
        options.syncGiveUpMs = syncGiveUpMs;
        options.prompts = prompts;
        if (!socketPath.empty()) {
            options.uri = TransportUri{TransportUri::Kind::Unix, socketPath};
            options.simBox = nullptr;
            options.socketPollMs = kSocketPollMs;
        }
        if (!filePath.empty()) {
            options.uri = TransportUri{TransportUri::Kind::File, filePath};
            options.boxUri = TransportUri{TransportUri::Kind::Sim, {}};
        }
        app = std::make_unique<CKV4420v13App>(options);
        app->Start(startFile);
        accepted = std::make_unique<QSignalSpy>(&app->View()->Connection(), &ConnectionLifecycle::accepted);
        if (waitForSync) WaitAccepted(1);
    }

    bool WaitAccepted(int count) {
        return QTest::qWaitFor([&] { return accepted->count() >= count && !app->SyncDialog(); }, kWaitMs);
    }
    // Waits until the running synchronisation ended and its notice was handled.
    bool WaitSyncHandled() {
        return QTest::qWaitFor([&] { return !app->Device().sync.Running() && !app->SyncDialog(); }, kWaitMs);
    }

    // The box once every report the window queued reached it.
    SimBox& Delivered() const {
        if (app) app->Device().link.Flush();
        return *box;
    }
    // Lets the box take and answer everything sent so far, as a box that keeps up does
    // between two steps of the user.
    void Settle() const { app->Device().link.AwaitAnswer(); }
    CMainFrame* Frame() const { return app->Frame(); }
    CMyMFCRibbonBar* Ribbon() const { return app->Frame()->Ribbon(); }
    CKV4420v13View* View() const { return app->View(); }
    CMFCMyRibbonStatusBar* Status() const { return app->Frame()->Status(); }
    ParameterStore& Store() const { return app->Device().store; }
    ManualHotplugWatcher* Watcher() const { return static_cast<ManualHotplugWatcher*>(app->Watcher()); }
    CMFCRibbonStepSlider* Slider(RibbonSlider id, int cat = kCategoryInput) const { return Ribbon()->Slider(cat, id); }
    QCheckBox* Check(RibbonCheck id, int cat = kCategoryInput) const { return Ribbon()->Check(cat, id); }
    QString Label(RibbonLabel id, int cat = kCategoryInput) const { return Ribbon()->ValueLabel(cat, id)->text(); }
    QString Info() const { return app->InfoWindow() ? app->InfoWindow()->Message() : QString(); }
};

// The parameter write the box must see for n copies of a float.
inline Report ParamFloats(int module, int parameter, float value, int count = 1) {
    std::vector<ParamValue> values(static_cast<std::size_t>(count), ParamValue::FromFloat(value));
    return BuildParamWrite(module, parameter, values);
}
inline float H(int v) { return static_cast<float>(v / 100.0); }

}  // namespace kv::test

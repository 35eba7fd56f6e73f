#include "app/OfflineEditing.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include "app/AppSettings.h"
#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMFCMyRibbonStatusBar.h"
#include "app/CMainFrame.h"
#include "app/UiPrompts.h"
#include "connect/FileBox.h"
#include "device/StoreDiff.h"
#include "ui/AbMemories.h"
#include "ui/UiText.h"

namespace kv {
namespace {

// The file's box is in process: no settling time after connecting.
constexpr int kFileConnectWaitMs = 0;

std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

OfflineEditing::OfflineEditing(CKV4420v13App& app, TransportOpener boxOpener, QObject* parent)
    : QObject(parent), m_app(app), m_boxOpener(std::move(boxOpener)) {}

OfflineEditing::~OfflineEditing() = default;

bool OfflineEditing::Begin(const QString& path) {
    auto& dev = m_app.Device();
    if (dev.link.IsOpen() || dev.sync.Running()) return false;
    QWidget* window = m_app.Frame();
    FileBoxProblem problem;
    auto file = FileBox::Load(Native(path), problem);
    if (!file && problem.file.status != ModeFileStatus::Ok) {
        m_app.Prompts().Message(window, m_app.Text("错误", "Error"),
                                CKV4420v13View::ModeFileRefusalText(path, problem.file, m_app.Language()),
                                UiPrompts::Icon::Warning);
        return false;
    }
    if (!file) {
        // Enter must not take a damaged file: No is the default.
        if (m_app.Prompts().AskDestructive(window, m_app.Text("数值超出范围", "Values out of range"),
                                           CKV4420v13View::OutOfRangeQuestionText(
                                               path, problem.outside, m_app.Language())) != UiPrompts::Answer::Yes)
            return false;
        file = FileBox::Load(Native(path), problem, true);
        if (!file) return false;
    }
    m_file = std::move(file);
    m_path = path;
    UseFile();
    return true;
}

bool OfflineEditing::BeginWithStartFile() {
    const QString path = m_startFile;
    m_startFile.clear();
    return !path.isEmpty() && Begin(path);
}

void OfflineEditing::UseFile() {
    auto& dev = m_app.Device();
    dev.link.SetOpener(m_file->Opener());
    // A file has no signal: its meters stay at rest.
    m_meterPoll = dev.link.MeterPollEnabled();
    dev.link.SetMeterPollEnabled(false);
    SyncTimings timings = m_app.Options().syncTimings;
    timings.connectWaitMs = kFileConnectWaitMs;
    dev.sync.SetTimings(timings);
    UpdateTitle();
}

bool OfflineEditing::LeaveForBox() {
    auto& dev = m_app.Device();
    if (!Active() || dev.sync.Running()) return false;
    // Any other device's notice must not take the file away: only a box that opens does.
    if (!m_boxOpener || !m_boxOpener(DebugOutput())) return false;
    m_edited = MakeOfflineContext();
    CopyStore(dev.store, m_edited->store);
    dev.link.Close(true);
    dev.link.SetOpener(m_boxOpener);
    dev.link.SetMeterPollEnabled(m_meterPoll);
    dev.sync.SetTimings(m_app.Options().syncTimings);
    m_leftFile = m_path;
    m_leftBox = std::move(m_file);
    m_path.clear();
    UpdateTitle();
    return true;
}

void OfflineEditing::ReturnToFile() {
    if (Active() || !m_leftBox) return;
    // The file's box kept every edit: the link was only closed.
    m_edited.reset();
    m_file = std::move(m_leftBox);
    m_path = m_leftFile;
    m_leftFile.clear();
    UseFile();
}

void OfflineEditing::OnAccepted() {
    if (!m_edited) return;
    // Asked from the event loop: the synchronisation that read the box has ended by then.
    QTimer::singleShot(0, this, &OfflineEditing::AskArrivalQuestion);
}

void OfflineEditing::AskArrivalQuestion() {
    if (!m_edited) return;
    std::unique_ptr<DeviceContext> edited = std::move(m_edited);
    const QString file = m_leftFile;
    m_leftFile.clear();
    m_leftBox.reset();
    auto& dev = m_app.Device();
    if (!dev.link.IsOpen()) return;
    const auto differing = DiffSettings(dev, *edited);
    if (differing.empty()) return;  // the box holds what was edited: nothing to choose
    const QString memoryB = MemoryBPath();
    const auto answer = m_app.Prompts().Ask(
        m_app.Frame(), m_app.Text("设备已连接", "Box connected"),
        ArrivalQuestionText(file, static_cast<int>(differing.size()), memoryB, m_app.Language()), false);
    if (answer == UiPrompts::Answer::Yes) {
        SendDifferences(dev, *edited);
        if (CKV4420v13View* view = m_app.View()) view->RefreshFromStore();
        m_app.Frame()->Status()->ShowNotice(
            m_app.Text("已将我的设置发送到机器(%1 项)", "My settings were sent to the box (%1 settings)")
                .arg(differing.size()),
            CKV4420v13View::kRestartNoticeMs);
        return;
    }
    QString error;
    if (!KeepAsMemoryB(*edited, &error)) {
        m_app.Prompts().Message(
            m_app.Frame(), m_app.Text("错误", "Error"),
            m_app.Text("无法保存记忆 B:\n%1\n%2", "Can't keep my settings as memory B:\n%1\n%2").arg(memoryB, error),
            UiPrompts::Icon::Warning);
        return;
    }
    m_app.Frame()->Status()->ShowNotice(
        m_app.Text("已读取机器; 我的设置保存为记忆 B: %1", "The box was read; my settings are kept as memory B: %1")
            .arg(memoryB),
        CKV4420v13View::kRestartNoticeMs);
}

bool OfflineEditing::Save() {
    if (!Active()) return false;
    CKV4420v13View* view = m_app.View();
    return view && view->SaveModeFileTo(m_path);
}

QString OfflineEditing::MemoryBPath() const {
    CKV4420v13View* view = m_app.View();
    return view ? view->Memories().FilePath(AbMemories::kB) : QString();
}

bool OfflineEditing::KeepAsMemoryB(const DeviceContext& settings, QString* error) {
    CKV4420v13View* view = m_app.View();
    if (!view) return false;
    return view->Memories().Keep(AbMemories::kB, settings.store, error, m_app.Language());
}

QString OfflineEditing::ArrivalQuestionText(const QString& file, int differing, const QString& memoryB, int language) {
    const QString name = QFileInfo(file).fileName();
    return Bi(language,
              "机器已连接，它的设置与正在编辑的文件 %1 不同(%2 项设置)。\n\n"
              "是: 将我的设置发送到机器(只发送不同的设置)\n"
              "否: 读取机器的设置(我的设置保存为记忆 B:\n%3)",
              "A box is connected, and its settings differ from the ones edited in %1 (%2 settings).\n\n"
              "Yes: send my settings to the box (only those that differ)\n"
              "No: read the box (my settings are kept as memory B:\n%3)")
        .arg(name)
        .arg(differing)
        .arg(memoryB);
}

QString OfflineEditing::BalloonText(const QString& file, int language) {
    return Bi(language, "正在编辑文件 %1 (未连接机器)", "Editing the file %1 (no box connected)")
        .arg(QFileInfo(file).fileName());
}

QString OfflineEditing::PaneText(const QString& file, int language) {
    return Bi(language, "文件：%1", "File:%1").arg(QFileInfo(file).fileName());
}

void OfflineEditing::UpdateTitle() {
    CMainFrame* frame = m_app.Frame();
    if (!frame) return;
    const QString caption = QString::fromLatin1(CKV4420v13App::kCaption);
    frame->setWindowTitle(Active() ? QStringLiteral("%1 - %2").arg(caption, QFileInfo(m_path).absoluteFilePath())
                                   : caption);
    if (CKV4420v13View* view = m_app.View()) view->UpdateConnectionPane();
}

}  // namespace kv

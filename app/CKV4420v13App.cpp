#include "app/CKV4420v13App.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMetaObject>
#include <QThread>
#include <thread>

#include "app/AppLog.h"
#include "app/AuxWindows.h"
#include "app/CKV4420v13View.h"
#include "app/CMainFrame.h"
#include "app/CMyMFCRibbonBar.h"
#include "app/HotplugWatcher.h"
#include "app/OfflineEditing.h"
#include "app/QtUiPrompts.h"
#include "app/UiPrompts.h"
#include "dialogs/CAboutDlg.h"
#include "dialogs/CInfoDlg.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CRemoteStudyDlg.h"
#include "dialogs/CSynDlg.h"
#include "sim/SimBox.h"
#include "ui/UiText.h"

namespace kv {

namespace {
// The box to look for: while a file is edited, the one that may arrive meanwhile.
const TransportUri& BoxUri(const AppOptions& options) {
    return options.uri.kind == TransportUri::Kind::File ? options.boxUri : options.uri;
}

TransportOpener ChooseOpener(const AppOptions& options, const std::shared_ptr<SimBox>& sim) {
    if (options.opener) return options.opener;
    return MakeOpener(BoxUri(options), sim);
}

bool IsModeFileName(const QString& path) {
    const QString suffix = path.mid(path.lastIndexOf('.') + 1);
    return suffix.compare(QStringLiteral("K4v8"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QStringLiteral("K4v9"), Qt::CaseInsensitive) == 0;
}

TransportOpener NoBox() {
    return [](const DebugOutput&) { return std::unique_ptr<Transport>(); };
}
}  // namespace

CKV4420v13App::CKV4420v13App(AppOptions options) : m_options(std::move(options)) {
    m_sim = m_options.simBox;
    if (!m_sim && BoxUri(m_options).kind == TransportUri::Kind::Sim) m_sim = std::make_shared<SimBox>();
    const bool file = m_options.uri.kind == TransportUri::Kind::File;
    // A file given as the device takes the box's place at Start, where its problems can be shown.
    m_device = std::make_unique<DeviceContext>(file ? NoBox() : ChooseOpener(m_options, m_sim), m_options.linkTimings,
                                               m_options.syncTimings, m_options.encoderTimings);
    m_offline = std::make_unique<OfflineEditing>(*this, ChooseOpener(m_options, m_sim));
    m_prompts = m_options.prompts ? m_options.prompts : std::make_shared<QtUiPrompts>();
    m_aux = std::make_unique<AuxWindows>(*this);

    const auto debugTo = [](const QLoggingCategory& (*category)()) {
        return DebugOutput([category](const std::string& text) {
            qCDebug(category, "%s", QString::fromStdString(text).trimmed().toUtf8().constData());
        });
    };
    m_device->link.SetDebugOutput(debugTo(lcKvUsb));
    // The window never waits for the box: its writes are queued.
    m_device->link.QueueWritesFrom(std::this_thread::get_id());
    m_device->sync.SetDebugOutput(debugTo(lcKvDevice));
    m_device->encoders.SetDebugOutput(debugTo(lcKvDevice));

    // The read thread hands a learned key over and waits until the interface took it.
    m_device->parser.SetKeyLearnedHook([this](int key) {
        QMetaObject::invokeMethod(
            this, [this, key] { m_aux->KeyLearned(key); }, Qt::BlockingQueuedConnection);
    });
    m_device->parser.SetParameterErrorHook([this](const std::string& text) {
        const QString message = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            this,
            [this, message] { m_prompts->Message(m_frame, QStringLiteral("Error"), message, UiPrompts::Icon::Error); },
            Qt::QueuedConnection);
    });

    LinkProbe probe;
    probe.isOpen = [this] { return m_device->link.IsOpen(); };
    probe.readThreadEnded = [this] { return m_device->link.ReadThreadEnded(); };
    probe.devicePath = [this] { return m_device->link.DevicePath(); };
    m_watcher = MakeHotplugWatcher(BoxUri(m_options), std::move(probe), m_options.socketPollMs);

    m_language = m_settings.Language();
    m_table.Load(m_language);
    ApplyQtTexts();
    qApp->installEventFilter(this);
}

CKV4420v13App::~CKV4420v13App() {
    qApp->removeEventFilter(this);
    QCoreApplication::removeTranslator(&m_qtTexts);
    Shutdown();
    delete m_info;
    delete m_frame;
    m_watcher.reset();
}

void CKV4420v13App::Shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    m_device->link.Close(true);
    // A synchronisation still running must not post to windows about to go.
    m_device->sync.Wait();
}

CKV4420v13View* CKV4420v13App::View() const { return m_frame ? m_frame->View() : nullptr; }

void CKV4420v13App::Start(const QString& modeFile) {
    m_frame = new CMainFrame(*this);
    m_frame->setAttribute(Qt::WA_DeleteOnClose, false);
    m_frame->setWindowTitle(QString::fromLatin1(kCaption));
    connect(&m_frame->View()->Connection(), &ConnectionLifecycle::accepted, m_offline.get(),
            &OfflineEditing::OnAccepted);
    if (m_options.uri.kind == TransportUri::Kind::File) {
        if (!m_offline->Begin(QString::fromStdString(m_options.uri.path)))
            m_device->link.SetOpener(ChooseOpener(m_options, m_sim));
    } else if (!modeFile.isEmpty()) {
        if (IsModeFileName(modeFile)) m_offline->SetStartFile(modeFile);
    }
    if (!modeFile.isEmpty()) OpenDocument(modeFile);
    m_frame->show();
    m_frame->View()->Connection().Start(m_options.startDelayMs);
}

QString CKV4420v13App::Text(const char* chinese, const char* english) const { return Bi(m_language, chinese, english); }

void CKV4420v13App::ToggleLanguage() {
    m_language = m_language == kLanguageEnglish ? kLanguageChinese : kLanguageEnglish;
    m_settings.SetLanguage(m_language);
    m_table.Load(m_language);
    ApplyQtTexts();
    // An open notice keeps the language it was created in; the windows that re-label
    // themselves hang off the frame.
    if (m_frame) m_frame->OnLanguageChanged();
    m_aux->Relabel();
}

void CKV4420v13App::ApplyQtTexts() {
    QCoreApplication::removeTranslator(&m_qtTexts);
    // Qt's texts are English without a translation; where the translations are not
    // installed the Chinese interface keeps English buttons rather than failing.
    if (m_language == kLanguageEnglish) return;
    if (m_qtTexts.isEmpty() &&
        !m_qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qCWarning(lcKvApp, "no Chinese translation of Qt's own texts found");
        return;
    }
    QCoreApplication::installTranslator(&m_qtTexts);
}

void CKV4420v13App::RunSyncProgress() {
    if (m_syncDlg) return;
    const UsbLink& link = Device().link;
    CSynDlg dialog(m_language, m_frame, m_options.syncGiveUpMs, [&link] { return link.ReportsReceived(); });
    m_syncDlg = &dialog;
    const int result = dialog.exec();
    if (m_syncDlg == &dialog) m_syncDlg = nullptr;
    if (result == CSynDlg::kTimedOut) {
        m_prompts->Message(m_frame, Bi(m_language, "错误", "Error"),
                           Bi(m_language, "发生错误，与设备数据同步超时……",
                              "Error: the box stopped answering while synchronising its data."),
                           UiPrompts::Icon::Error);
    }
}

void CKV4420v13App::CloseSyncProgress() {
    // Forgotten at once: a dialog that is ending is no longer open, even before its
    // modal loop has returned.
    if (CSynDlg* dialog = m_syncDlg) {
        m_syncDlg = nullptr;
        dialog->CloseProgress();
    }
}

void CKV4420v13App::ShowInformation(const QString& text, int durationMs) {
    if (!m_info) {
        m_info = new CInfoDlg(m_language, m_frame);
        m_table.Apply(m_info, CInfoDlg::kDialogId);
        if (m_frame) m_info->move(m_frame->geometry().center() - m_info->rect().center());
    }
    m_info->show();
    m_info->ShowInfo(text, durationMs);
}

void CKV4420v13App::ShowAbout() {
    AboutInfo info;
    info.connected = m_device->link.IsOpen();
    const Identity id = m_device->store.GetIdentity();
    info.model = QString::fromStdString(id.model);
    info.mcuVersion = QString::fromStdString(id.mcuVersion);
    info.dspVersion = QString::fromStdString(id.dspVersion);
    info.commandSetVersion = id.commandSetVersion;
    info.meterPoll = m_device->link.MeterPollEnabled();
    CAboutDlg dialog(info, m_frame);
    m_table.Apply(&dialog, CAboutDlg::kDialogId);
    connect(&dialog, &CAboutDlg::meterPollToggled, this, [this](bool on) { m_device->link.SetMeterPollEnabled(on); });
    Q_EMIT aboutShown(&dialog);
    dialog.exec();
}

void CKV4420v13App::OpenDocument(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists()) {
        m_prompts->Message(m_frame, QStringLiteral("文件打开错误"), QStringLiteral("文件不存在！"),
                           UiPrompts::Icon::Information);
        return;
    }
    const QString suffix = path.mid(path.lastIndexOf('.') + 1);
    // A remote key table opens the remote-control window with it.
    if (suffix.compare(QStringLiteral("remo"), Qt::CaseInsensitive) == 0) {
        if (!m_device->link.IsOpen()) return;
        m_aux->OpenRemoteControl();
        if (CRemoteDlg* remote = m_aux->RemoteControl()) remote->LoadFileFrom(path);
        return;
    }
    if (!IsModeFileName(path)) return;
    if (!m_device->link.IsOpen() || !View()) return;
    if (!View()->ConfirmLoadOverChanges()) return;
    View()->OpenModeFile(path);
}

void CKV4420v13App::AddRecentFile(const QString& path) {
    const QFileInfo file(path);
    m_settings.AddRecentFile(file.absoluteFilePath());
    m_settings.SetModeFolder(file.absolutePath());
    if (m_frame) m_frame->Ribbon()->SetRecentFiles(m_settings.RecentFiles());
}

QString CKV4420v13App::ModeFolder() const {
    const QString folder = m_settings.ModeFolder();
    // A folder removed since is no place to start.
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void CKV4420v13App::DestroyAuxWindows() { m_aux->DestroyAll(); }

bool CKV4420v13App::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat() || m_syncDlg) return QObject::eventFilter(watched, event);
        if (key->key() == Qt::Key_F7) {
            m_aux->OpenDeviceSettings();
            return true;
        }
        if (key->key() == Qt::Key_F6) {
            if (m_device->link.IsOpen()) m_aux->RunNoiseGate();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kv

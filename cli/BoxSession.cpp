#include "cli/BoxSession.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "cli/CommandLine.h"
#include "cli/CtlCommands.h"
#include "cli/ProgressIndicator.h"
#include "connect/FileBox.h"
#include "device/Acceptance.h"
#include "device/HidTransport.h"

namespace kv::cli {
namespace {

constexpr auto kProgressTick = std::chrono::milliseconds(100);

std::string RefusalText(const Identity& id, Acceptance acceptance) {
    return std::string("box refused: ") + AcceptanceMessage(acceptance) + " (model \"" + id.model + "\", command set " +
           std::to_string(id.commandSetVersion) + ")";
}

}  // namespace

BoxSession::BoxSession(SessionOptions options, std::ostream& err) : m_options(std::move(options)), m_err(err) {
    if (m_options.held) {
        // The holder set up its own hooks; they are not changed for one command.
        m_ctx = m_options.held;
        return;
    }
    SyncTimings syncTimings;
    const bool file = m_options.device.kind == TransportUri::Kind::File;
    // A file has no box that needs time to settle.
    if (file) syncTimings.connectWaitMs = 0;
    if (m_options.syncWaitMs) syncTimings.connectWaitMs = *m_options.syncWaitMs;
    // A file's box is opened by Connect, which says why a file cannot be used.
    TransportOpener opener = file ? TransportOpener([](const DebugOutput&) { return std::unique_ptr<Transport>(); })
                                  : MakeOpener(m_options.device);
    m_own = std::make_unique<DeviceContext>(std::move(opener), LinkTimings{}, syncTimings);
    m_ctx = m_own.get();
    if (m_options.verbose) {
        auto debug = [](const std::string& text) {
            std::string line = text;
            while (!line.empty() && line.back() == '\n') line.pop_back();
            std::fprintf(stderr, "debug: %s\n", line.c_str());
        };
        m_ctx->link.SetDebugOutput(debug);
        m_ctx->sync.SetDebugOutput(debug);
        m_ctx->encoders.SetDebugOutput(debug);
    }
    // The box reports a bad parameter once; the values are still used, as in the application.
    m_ctx->parser.SetParameterErrorHook([](const std::string& text) {
        std::fprintf(stderr, "kv4420ctl: warning: the box reported %s\n", text.c_str());
    });
}

BoxSession::~BoxSession() {
    // An early return must still not leave a synchronisation writing to a closing link.
    m_ctx->sync.Wait();
    if (!m_options.held) m_ctx->link.Close(false);
}

void BoxSession::Pause(int ms) const { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int BoxSession::Fail(int code, const std::string& text, bool notice) {
    m_err << "kv4420ctl: " << text << std::endl;
    m_ctx->sync.Wait();
    // A held box stays with its holder, which sees for itself whether it failed.
    if (!m_options.held) m_ctx->link.Close(notice);
    return code;
}

int BoxSession::OpenFile() {
    const std::string& path = m_options.device.path;
    FileBoxProblem problem;
    m_file = FileBox::Load(path, problem);
    if (m_file) {
        m_ctx->link.SetOpener(m_file->Opener());
        return exitcode::kOk;
    }
    if (problem.file.status != ModeFileStatus::Ok) {
        m_err << "kv4420ctl: " << ModeFileProblem(path, problem.file) << std::endl;
        return exitcode::kFile;
    }
    for (const OutOfRange& o : problem.outside)
        m_err << "kv4420ctl: " << path << ": " << o.address << " is " << o.fileValue << ", out of range\n";
    m_err << "kv4420ctl: " << path << ": " << problem.outside.size()
          << (problem.outside.size() == 1 ? " value" : " values")
          << " out of range: the file is damaged or not a mode file, and was left as it is" << std::endl;
    return exitcode::kFile;
}

int BoxSession::Connect() {
    if (m_options.held) {
        // Open and read back already, or being read back just now.
        m_ctx->sync.Wait();
        if (!m_ctx->link.IsOpen() || m_ctx->link.ReadThreadEnded()) {
            m_err << "kv4420ctl: no box found at " << m_options.device.ToString() << std::endl;
            return exitcode::kNoBox;
        }
        // Its holder read it back and accepted it; only a refusal since could stand in the way.
        const Identity id = m_ctx->store.GetIdentity();
        const Acceptance acceptance = CheckAcceptance(id);
        if (acceptance != Acceptance::Accepted) return Fail(exitcode::kRefused, RefusalText(id, acceptance), false);
        return exitcode::kOk;
    }
    if (m_options.device.kind == TransportUri::Kind::File && !m_file)
        if (int rc = OpenFile()) return rc;
    if (!m_ctx->link.Open()) {
        const std::string denied =
            m_options.device.kind == TransportUri::Kind::Hid ? HidTransport::DeniedPath() : std::string();
        if (!denied.empty())
            m_err << "kv4420ctl: the box is connected but this user may not open " << denied
                  << "; install the udev rule: sudo install -m644 99-kv4420.rules /etc/udev/rules.d/ (or install the "
                     "kv4420 package), then plug the box in again"
                  << std::endl;
        else
            m_err << "kv4420ctl: no box found at " << m_options.device.ToString() << std::endl;
        return exitcode::kNoBox;
    }
    return RunSync(true, "Reading the box");
}

int BoxSession::ReadBack(const std::string& label) { return RunSync(true, label); }

int BoxSession::WriteAll(const std::string& label) { return RunSync(false, label); }

int BoxSession::RunSync(bool readBack, const std::string& label) {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    auto finished = [&](int) {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        cv.notify_all();
    };
    const bool started = readBack ? m_ctx->sync.StartReadBack(finished) : m_ctx->sync.StartWriteAll(finished);
    if (!started) return Fail(exitcode::kNoBox, "a synchronisation with the box is already running", false);
    {
        ProgressIndicator progress(stderr, m_options.progress, label);
        progress.Tick();
        std::unique_lock lock(mutex);
        while (!cv.wait_for(lock, kProgressTick, [&] { return done; })) {
            lock.unlock();
            progress.Tick();
            lock.lock();
        }
    }
    m_ctx->sync.Wait();
    return CheckAfterSync(label);
}

int BoxSession::CheckAfterSync(const std::string& label) {
    if (m_ctx->link.ReadThreadEnded() || !m_ctx->link.IsOpen())
        return Fail(exitcode::kNoBox, "the link to the box failed (" + label + ")", false);
    const Identity id = m_ctx->store.GetIdentity();
    // The store's defaults stand in for answers that never came: they prove nothing.
    if (!m_ctx->sync.IdentityAnswered())
        return Fail(exitcode::kNoBox, "the box at " + m_options.device.ToString() + " does not answer", true);
    if (!m_ctx->sync.IdentityComplete())
        return Fail(exitcode::kRefused,
                    "box refused: the box at " + m_options.device.ToString() +
                        " answered the identity queries without its model name and command-set version",
                    true);
    const Acceptance acceptance = CheckAcceptance(id);
    if (acceptance != Acceptance::Accepted) return Fail(exitcode::kRefused, RefusalText(id, acceptance), true);
    return exitcode::kOk;
}

int BoxSession::Finish() {
    if (m_ctx->link.ReadThreadEnded() || !m_ctx->link.IsOpen())
        return Fail(exitcode::kNoBox, "the link to the box failed", false);
    if (m_options.held) {
        // What the command queued has reached the box when the command ends, as with a close.
        m_ctx->link.Flush();
        return m_ctx->link.ReadThreadEnded() ? Fail(exitcode::kNoBox, "the link to the box failed", false)
                                             : exitcode::kOk;
    }
    m_ctx->link.Close(true);
    if (m_file) {
        const ModeFileResult written = m_file->WriteBack();
        if (written.status != ModeFileStatus::Ok) {
            m_err << "kv4420ctl: " << ModeFileProblem(m_file->Target(), written) << "; the file was left as it was"
                  << std::endl;
            return exitcode::kFile;
        }
    }
    return exitcode::kOk;
}

}  // namespace kv::cli

#pragma once
// One conversation with a box, as the application has it when it finds one: open the
// link, read everything back, check model and command-set version; then the caller's
// command; then the disconnect notice. Every failure is reported on the error stream as
// one line and turned into the exit status scripts see.

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "connect/TransportUri.h"
#include "device/DeviceContext.h"

namespace kv {
class FileBox;
}

namespace kv::cli {

struct SessionOptions {
    TransportUri device;
    std::optional<int> syncWaitMs;  // replaces the 2800 ms settling wait (testing aid)
    bool progress = false;          // spinner on standard error while a synchronisation runs
    bool verbose = false;           // the link's debug texts on the error stream
    // A box a server holds: it is already open and read back, and stays open afterwards.
    DeviceContext* held = nullptr;
};

class BoxSession {
public:
    BoxSession(SessionOptions options, std::ostream& err);
    ~BoxSession();
    BoxSession(const BoxSession&) = delete;
    BoxSession& operator=(const BoxSession&) = delete;

    // Opens the link, runs the read-back and the acceptance checks. exitcode::kOk, or the
    // code of a failure already reported (the link is closed then).
    int Connect();
    // The read-back that follows a mode load or reset, with the same checks.
    int ReadBack(const std::string& label);
    // Sends the whole store to the box, with the same checks afterwards.
    int WriteAll(const std::string& label);
    // Says goodbye with the disconnect notice; kNoBox when the link had failed meanwhile.
    // A mode file edited as a box is written back then, when its mode changed (kFile when
    // that fails); a command that failed before it leaves the file as it was.
    int Finish();

    DeviceContext& Box() { return *m_ctx; }
    void Pause(int ms) const;

private:
    int RunSync(bool readBack, const std::string& label);
    int CheckAfterSync(const std::string& label);
    int Fail(int code, const std::string& text, bool notice);
    int OpenFile();

    SessionOptions m_options;
    std::ostream& m_err;
    std::unique_ptr<DeviceContext> m_own;  // empty when the box is held
    DeviceContext* m_ctx = nullptr;        // the own box or the held one
    std::shared_ptr<FileBox> m_file;
};

}  // namespace kv::cli

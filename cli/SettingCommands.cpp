#include "cli/SettingCommands.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/BoxSession.h"
#include "cli/FileChecks.h"
#include "cli/SettingJson.h"
#include "device/DeviceContext.h"
#include "device/EqBands.h"
#include "device/SettingTable.h"
#include "device/TypedValue.h"
#include "eq/FilterText.h"
#include "model/AtomicFile.h"

namespace kv::cli {
namespace {

// A filter file is a page of text; anything far larger is not one.
constexpr std::size_t kMaxFilterFileBytes = 1 << 20;

std::string EqNames() {
    std::string names;
    for (const EqInfo& e : kEqualisers) {
        if (!names.empty()) names += ", ";
        names += EqName(e.id);
    }
    return names;
}

class SettingCommands {
public:
    SettingCommands(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err)
        : m_line(line),
          m_out(out),
          m_err(err),
          m_options{line.device, env.syncWaitMs, env.progress, line.verbose, env.heldBox} {}

    int Run() {
        switch (m_line.command) {
            case CommandKind::List:
                return List();
            case CommandKind::Get:
                return Get();
            case CommandKind::Set:
                return Set();
            case CommandKind::EqExport:
                return EqExport();
            case CommandKind::EqImport:
                return EqImport();
            default:
                return exitcode::kUsage;
        }
    }

private:
    int Error(int code, const std::string& text) {
        m_err << "kv4420ctl: " << text << std::endl;
        return code;
    }

    const Setting* Find(const std::string& address) {
        const Setting* s = FindSetting(address);
        if (!s) Error(exitcode::kUsage, UnknownSettingText(address));
        return s;
    }

    int Output(BoxSession* session) {
        m_out.flush();
        const int rc = session ? session->Finish() : exitcode::kOk;
        if (!m_out) return Error(exitcode::kFile, "cannot write the output");
        return rc;
    }

    int List() {
        if (m_line.json) {
            nlohmann::ordered_json all = nlohmann::ordered_json::array();
            for (const Setting& s : AllSettings()) all.push_back(SettingListEntry(s));
            m_out << all.dump(2) << "\n";
        } else {
            for (const Setting& s : AllSettings())
                m_out << s.address << "  " << SettingRange(s) << "  -- " << s.description << "\n";
        }
        return Output(nullptr);
    }

    int Get() {
        std::vector<const Setting*> settings;
        for (const std::string& address : m_line.items) {
            const Setting* s = Find(address);
            if (!s) return exitcode::kUsage;
            settings.push_back(s);
        }
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        const DeviceContext& box = session.Box();
        if (m_line.json) {
            nlohmann::ordered_json all = nlohmann::ordered_json::object();
            for (const Setting* s : settings) all[s->address] = SettingValueObject(*s, box);
            m_out << all.dump(2) << "\n";
        } else {
            for (const Setting* s : settings) m_out << s->address << "=" << FormatSetting(*s, s->read(box)) << "\n";
        }
        return Output(&session);
    }

    int Set() {
        // Every item is checked before the link is opened, and again against the box's own
        // limits before the first change goes out: a refused list changes nothing.
        std::vector<SettingChange> items;
        for (const std::string& text : m_line.items) {
            const std::size_t eq = text.find('=');
            const std::string address = text.substr(0, eq);
            const Setting* s = Find(address);
            if (!s) return exitcode::kUsage;
            SettingChange change;
            if (const std::string refusal = ReadChange(*s, text.substr(eq + 1), change); !refusal.empty())
                return Error(exitcode::kUsage, refusal);
            items.push_back(change);
        }
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        if (const std::string refusal = ApplyChanges(session.Box(), items); !refusal.empty()) {
            const int rc = session.Finish();
            Error(exitcode::kUsage, refusal);
            return rc ? rc : exitcode::kUsage;
        }
        return session.Finish();
    }

    std::optional<EqId> Equaliser() {
        const auto id = EqByName(m_line.eq);
        if (!id) Error(exitcode::kUsage, "unknown equaliser \"" + m_line.eq + "\" (use " + EqNames() + ")");
        return id;
    }

    int EqExport() {
        const auto id = Equaliser();
        if (!id) return exitcode::kUsage;
        std::string problem;
        if (!CheckWritableTarget(m_line.path, problem)) return Error(exitcode::kFile, problem);
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        const auto bands = LoadEqBands(session.Box().encoders, *id);
        const std::string text = FilterFileText(bands, *id);
        // As save-file: no file from a failed command.
        if (int rc = session.Finish()) return rc;
        int error = 0;
        const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
        if (!WriteFileAtomically(m_line.path, std::span(data, text.size()), &error))
            return Error(exitcode::kFile,
                         "cannot write " + m_line.path + (error ? std::string(": ") + std::strerror(error) : ""));
        return exitcode::kOk;
    }

    int EqImport() {
        const auto id = Equaliser();
        if (!id) return exitcode::kUsage;
        if (*id == EqId::Sub)
            return Error(exitcode::kUsage,
                         "the SUB rows are crossovers: set them with eq.sub.N.kind and eq.sub.N.align");
        std::vector<std::uint8_t> bytes;
        std::string problem;
        if (!ReadWholeFile(m_line.path, kMaxFilterFileBytes, bytes, problem)) return Error(exitcode::kFile, problem);
        const eq::FilterFile filters = eq::ReadFilters(std::string(bytes.begin(), bytes.end()), EqInfoOf(*id).bands);
        if (!filters.error.empty()) return Error(exitcode::kFile, m_line.path + ": " + filters.error);

        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        DeviceContext& box = session.Box();
        auto bands = LoadEqBands(box.encoders, *id);
        ApplyFilterFile(bands, filters);
        for (std::size_t b = 0; b < bands.size(); ++b) SendEqRow(box.encoders, *id, bands, static_cast<int>(b));
        for (const std::string& note : filters.notes) m_err << "kv4420ctl: note: " << note << std::endl;
        return session.Finish();
    }

    const CommandLine& m_line;
    std::ostream& m_out;
    std::ostream& m_err;
    SessionOptions m_options;
};

}  // namespace

int RunSettingCommand(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err) {
    return SettingCommands(line, env, out, err).Run();
}

}  // namespace kv::cli

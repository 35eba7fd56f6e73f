#include "cli/ResponseCommands.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/BoxSession.h"
#include "device/DelayAlignment.h"
#include "device/EqBands.h"
#include "eq/ComplexResponse.h"

namespace kv::cli {
namespace {

std::string Fixed(double v, int decimals) {
    // A value that rounds to zero is printed without a sign.
    const double scale = std::pow(10.0, decimals);
    if (std::round(v * scale) == 0.0) v = 0.0;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

// JSON numbers rounded to what the text shows, so the output carries no float noise.
double Rounded(double v, int decimals) { return std::stod(Fixed(v, decimals)); }

class ResponseCommands {
public:
    ResponseCommands(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err)
        : m_line(line),
          m_out(out),
          m_err(err),
          m_options{line.device, env.syncWaitMs, env.progress, line.verbose, env.heldBox} {}

    int Run() { return m_line.command == CommandKind::Align ? Align() : Response(); }

private:
    int Error(int code, const std::string& text) {
        m_err << "kv4420ctl: " << text << std::endl;
        return code;
    }

    int Finish(BoxSession& session) {
        m_out.flush();
        const int rc = session.Finish();
        if (!m_out) return Error(exitcode::kFile, "cannot write the output");
        return rc;
    }

    int Response() {
        const auto id = EqByName(m_line.eq);
        if (!id) return Error(exitcode::kUsage, "unknown equaliser \"" + m_line.eq + "\"");
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        const auto bands = LoadEqBands(session.Box().encoders, *id);
        const auto sections = eq::EqualiserSections(bands, *id == EqId::Sub);
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        if (m_line.csv) m_out << "frequency_hz,magnitude_db,phase_deg,group_delay_ms\n";
        if (!m_line.csv && !m_line.json) m_out << "frequency   magnitude   phase      group delay\n";
        for (double f : eq::LogFrequencies(m_line.points, m_line.fromHz, m_line.toHz)) {
            const eq::ResponseRow r = eq::RowOf(eq::ChainAt(sections, f), f);
            if (m_line.json) {
                rows.push_back({{"frequency_hz", Rounded(r.frequencyHz, 3)},
                                {"magnitude_db", Rounded(r.magnitudeDb, 4)},
                                {"phase_deg", Rounded(r.phaseDeg, 3)},
                                {"group_delay_ms", Rounded(r.groupDelayMs, 5)}});
            } else if (m_line.csv) {
                m_out << Fixed(r.frequencyHz, 3) << ',' << Fixed(r.magnitudeDb, 4) << ',' << Fixed(r.phaseDeg, 3) << ','
                      << Fixed(r.groupDelayMs, 5) << '\n';
            } else {
                char text[128];
                std::snprintf(text, sizeof text, "%9.1fHz %+9.3fdB %+8.2fdeg %9.4fms\n", r.frequencyHz, r.magnitudeDb,
                              r.phaseDeg, r.groupDelayMs);
                m_out << text;
            }
        }
        if (m_line.json) m_out << nlohmann::ordered_json{{"eq", EqName(*id)}, {"points", rows}}.dump(2) << '\n';
        return Finish(session);
    }

    int Align() {
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        DeviceContext& box = session.Box();
        const DelayProposal p = ProposeDelays(box, m_line.temperature.value_or(eq::kDefaultTemperatureC));
        if (m_line.json) {
            nlohmann::ordered_json speakers = nlohmann::ordered_json::array();
            for (const AlignmentRow& r : p.rows)
                speakers.push_back({{"speaker", r.speaker},
                                    {"distance_m", Rounded(r.distanceM, 3)},
                                    {"delay_now_ms", Rounded(r.delayNowMs, 1)},
                                    {"delay_on", r.delayOn},
                                    {"proposed_ms", Rounded(r.proposedMs, 1)},
                                    {"clamped", r.clamped}});
            m_out << nlohmann::ordered_json{{"temperature_c", p.temperatureC},
                                            {"speed_of_sound_m_s", Rounded(p.speedOfSound, 2)},
                                            {"applied", m_line.apply},
                                            {"speakers", speakers}}
                         .dump(2)
                  << '\n';
        } else {
            m_out << "speaker  distance  delay now     proposed\n";
            for (const AlignmentRow& r : p.rows) {
                char text[128];
                std::snprintf(text, sizeof text, "%-8s %7.2fm %7.1fms%-4s %7.1fms%s\n", r.speaker.c_str(), r.distanceM,
                              r.delayNowMs, r.delayOn ? "" : " off", r.proposedMs, r.clamped ? " (clamped)" : "");
                m_out << text;
            }
            m_out << "speed of sound " << Fixed(p.speedOfSound, 1) << "m/s at " << Fixed(p.temperatureC, 1) << "C\n";
        }
        for (const AlignmentRow& r : p.rows)
            if (r.clamped)
                m_err << "kv4420ctl: note: " << r.delayAddress << ": the aligned delay is longer than the box takes; "
                      << Fixed(r.proposedMs, 1) << "ms is proposed" << std::endl;
        if (m_line.apply) ApplyProposal(box, p);
        return Finish(session);
    }

    const CommandLine& m_line;
    std::ostream& m_out;
    std::ostream& m_err;
    SessionOptions m_options;
};

}  // namespace

int RunResponseCommand(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err) {
    return ResponseCommands(line, env, out, err).Run();
}

}  // namespace kv::cli

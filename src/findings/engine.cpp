#include "findings/engine.h"

#include <exception>

#include "environment/action.h"
#include "findings/text.h"
#include "framework/file.h"
#include "platform/platform.h"
#include "trace/trace.h"

using namespace gx;

namespace findings {

namespace {

const char* StatusName(Status status) {
    return status == Status::Fail ? "fail" : status == Status::Pass ? "pass" : "skip";
}

const char* SeverityName(Severity severity) {
    return severity == Severity::Error ? "error" : severity == Severity::Warning ? "warning" : "info";
}

// Lines of the overview and the trace hold no control characters.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return text;
}

std::string EvidenceLine(const Evidence& item) {
    std::string line = item.source;
    if (item.line > 0) line += ":" + std::to_string(item.line);
    return OneLine(line + ": " + item.text);
}

}  // namespace

std::vector<Result> RunRules(const Facts& facts, const std::vector<Rule>& rules) {
    std::vector<Result> results;
    for (const Rule& rule : rules) {
        Result result;
        try {
            result = rule.run(facts);
        } catch (const std::exception& failure) {
            result = Skip(std::string("the rule stopped on data it cannot handle: ") + failure.what());
        } catch (...) {
            result = Skip("the rule stopped on data it cannot handle");
        }
        result.id = rule.id;
        if (result.status == Status::Skip && result.reason.empty()) result.reason = "no reason given";
        // Event strings and registry values may be long: every evidence text
        // is cut as a log line is.
        for (Evidence& item : result.evidence) item.text = EvidenceText(item.text);
        results.push_back(std::move(result));
    }
    return results;
}

Findings RunFindings(const CAction& action) {
    Findings found;
    try {
        const DWORD start = os().GetTickCount();
        Trace(TRACE_INFO, "Findings > ReadFacts");
        found.facts = ReadFacts(action);
        const Facts& facts = found.facts;
        const DWORD factsDone = os().GetTickCount();
        Trace(TRACE_INFO, "Findings < ReadFacts, %lu ms (event records looked at: Application %lu, System %lu)",
              static_cast<unsigned long>(factsDone - start), static_cast<unsigned long>(facts.application.scanned),
              static_cast<unsigned long>(facts.system.scanned));
        std::vector<Result>& results = found.results;
        results = RunRules(facts);
        const DWORD rulesDone = os().GetTickCount();
        int failed = 0, passed = 0, skipped = 0;
        for (const Result& result : results) {
            if (result.status == Status::Fail) {
                ++failed;
                Trace(TRACE_INFO, "Findings fail %s (%s): %s", result.id, SeverityName(result.severity),
                      OneLine(result.title).c_str());
            } else if (result.status == Status::Skip) {
                ++skipped;
                Trace(TRACE_INFO, "Findings skip %s: %s", result.id, OneLine(result.reason).c_str());
            } else {
                ++passed;
            }
        }
        Trace(TRACE_INFO, "Findings < RunRules, %lu ms: %d ran, %d failed, %d passed, %d skipped",
              static_cast<unsigned long>(rulesDone - factsDone), static_cast<int>(results.size()), failed, passed,
              skipped);
        Trace(TRACE_INFO, "Findings: facts and rules took %lu ms", static_cast<unsigned long>(rulesDone - start));
        return found;
    } catch (const std::exception& failure) {
        Trace(TRACE_ERROR, "ERR Findings::RunFindings -> %s", failure.what());
    } catch (...) {
        Trace(TRACE_ERROR, "ERR Findings::RunFindings -> stopped");
    }
    found.results.clear();
    return found;
}

std::string FindingsJson(const std::vector<Result>& results) {
    std::string json = "{\"schema\": 1, \"ruleset\": " + JsonString(kRuleset) + ", \"results\": [";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Result& r = results[i];
        json += i == 0 ? "\r\n  " : ",\r\n  ";
        json += "{\"id\": " + JsonString(r.id) + ", \"status\": \"" + StatusName(r.status) + "\"";
        if (r.status == Status::Fail) {
            json += std::string(", \"severity\": \"") + SeverityName(r.severity) + "\"";
            json += ", \"title\": " + JsonString(r.title) + ", \"evidence\": [";
            for (std::size_t e = 0; e < r.evidence.size(); ++e) {
                const Evidence& item = r.evidence[e];
                json += (e == 0 ? "" : ", ") + std::string("{\"source\": ") + JsonString(item.source);
                if (item.line > 0) json += ", \"line\": " + std::to_string(item.line);
                json += ", \"text\": " + JsonString(item.text) + "}";
            }
            json += "], \"remedy\": " + JsonString(r.remedy);
        }
        if (r.status == Status::Skip) json += ", \"reason\": " + JsonString(r.reason);
        json += "}";
    }
    return json + "\r\n]}\r\n";
}

bool WriteFindingsJson(const CAction& action, const std::vector<Result>& results) {
    const std::string path = action.m_szDest_Path + "findings.json";
    if (action.OutputLinkRefused("Findings::WriteFindingsJson", path)) return false;
    const std::string text = FindingsJson(results);
    CFile file;
    CFileException error(CFileException::none, -1, path);
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite, &error)) {
        Trace(TRACE_ERROR, "ERR Findings::WriteFindingsJson -> open %s: %ld", path.c_str(),
              static_cast<long>(error.m_lOsError));
        return false;
    }
    try {
        file.Write(text.data(), static_cast<UINT>(text.size()));
        file.Close();
    } catch (const CFileException& failure) {
        file.Abort();
        Trace(TRACE_ERROR, "ERR Findings::WriteFindingsJson -> write %s: %ld", path.c_str(),
              static_cast<long>(failure.m_lOsError));
        // A cut file would not parse, or worse, parse as fewer results.
        os().DeleteFileA(path.c_str());
        return false;
    }
    Trace(TRACE_INFO, "Findings::WriteFindingsJson, %s: %lu bytes", path.c_str(),
          static_cast<unsigned long>(text.size()));
    return true;
}

std::vector<std::string> SectionLines(const std::vector<Result>& results) {
    std::vector<std::string> lines;
    if (results.empty()) {
        lines.push_back("Not judged: the findings could not be made (see gathrix.log).");
        return lines;
    }
    int failed = 0, passed = 0;
    std::string skipped;
    int skips = 0;
    for (Severity severity : {Severity::Error, Severity::Warning, Severity::Info}) {
        for (const Result& r : results) {
            if (r.status != Status::Fail || r.severity != severity) continue;
            std::string label = SeverityName(severity);
            for (char& c : label) c = static_cast<char>(c - 'a' + 'A');
            lines.push_back(label + ": " + OneLine(r.title) + " [" + r.id + "]");
            for (const Evidence& item : r.evidence) lines.push_back("    " + EvidenceLine(item));
            lines.push_back("    Remedy: " + OneLine(r.remedy));
        }
    }
    for (const Result& r : results) {
        if (r.status == Status::Fail) ++failed;
        if (r.status == Status::Pass) ++passed;
        if (r.status == Status::Skip) {
            ++skips;
            skipped += std::string(skipped.empty() ? "" : "; ") + r.id + " (" + OneLine(r.reason) + ")";
        }
    }
    std::string counts = std::to_string(results.size()) + " rules ran: " + std::to_string(failed) + " failed, " +
                         std::to_string(passed) + " passed, " + std::to_string(skips) + " skipped" +
                         (skipped.empty() ? std::string(".") : ": " + skipped + ".");
    if (failed == 0) counts = "No known problem found. " + counts;
    else lines.push_back("");
    lines.push_back(counts);
    return lines;
}

}  // namespace findings

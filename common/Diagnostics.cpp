#include "common/Diagnostics.h"

#include <mutex>
#include <set>
#include <utility>

namespace {

struct DiagnosticChannel {
    std::mutex mutex;
    CDiagnosticSink* sink = nullptr;
    std::set<std::pair<int, std::string>> seen;
    std::vector<Diagnostic> recorded;
};

DiagnosticChannel& Channel() {
    static DiagnosticChannel channel;
    return channel;
}

}  // namespace

const char* DiagnosticKindText(DiagnosticKind kind) {
    switch (kind) {
    case DiagnosticKind::SaveFailed:
        return "cannot save";
    case DiagnosticKind::ReadFailed:
        return "cannot read";
    case DiagnosticKind::DamagedFile:
        return "damaged file";
    case DiagnosticKind::OutOfMemory:
        return "out of memory for";
    case DiagnosticKind::UpdateRejected:
        return "source update rejected:";
    case DiagnosticKind::ForeignFile:
        return "unknown file";
    }
    return "problem with";
}

std::string FormatDiagnostic(const Diagnostic& d) {
    std::string line = DiagnosticKindText(d.kind);
    line += ' ';
    line += d.subject;
    if (!d.detail.empty()) line += ": " + d.detail;
    return line;
}

void ReportDiagnostic(DiagnosticKind kind, const std::string& subject, const std::string& detail) {
    DiagnosticChannel& channel = Channel();
    // The sink is called under the channel's lock, so that it is never
    // called after SetDiagnosticSink has replaced it.
    std::lock_guard<std::mutex> lock(channel.mutex);
    if (!channel.seen.emplace(static_cast<int>(kind), subject).second) return;
    channel.recorded.push_back({kind, subject, detail});
    if (channel.sink) channel.sink->OnDiagnostic(channel.recorded.back());
}

void SetDiagnosticSink(CDiagnosticSink* sink) {
    std::lock_guard<std::mutex> lock(Channel().mutex);
    Channel().sink = sink;
}

std::vector<Diagnostic> RecordedDiagnostics() {
    std::lock_guard<std::mutex> lock(Channel().mutex);
    return Channel().recorded;
}

void ClearDiagnostics() {
    std::lock_guard<std::mutex> lock(Channel().mutex);
    Channel().seen.clear();
    Channel().recorded.clear();
}

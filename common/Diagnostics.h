// Diagnostics: problems the libraries meet with files and pages (a save that
// failed, a damaged or unreadable file, a rejected source update), reported
// through one process-wide channel instead of being printed where they
// happen. The front end installs a sink: the headless commands print each
// diagnostic, the desktop program shows them. A diagnostic repeated for the
// same file or page within one run is passed on once.
#pragma once

#include <string>
#include <vector>

enum class DiagnosticKind {
    SaveFailed,      // a file could not be written; the old one is untouched
    ReadFailed,      // a file could not be read; defaults or nothing used instead
    DamagedFile,     // a file held data that could not be read as what it should be
    OutOfMemory,     // a file could not be indexed for lack of memory
    UpdateRejected,  // a downloaded source update was not merged
    ForeignFile,     // a file in the data folder that is not ours was left alone
};

struct Diagnostic {
    DiagnosticKind kind;
    std::string subject;  // the file or page concerned
    std::string detail;   // what happened, in words
};

// "cannot save", "cannot read", ...: the kind in a few words.
const char* DiagnosticKindText(DiagnosticKind kind);
// One line: "<kind text> <subject>: <detail>".
std::string FormatDiagnostic(const Diagnostic& d);

class CDiagnosticSink {
public:
    virtual ~CDiagnosticSink() = default;
    // Called on the thread that met the problem, never twice for one kind
    // and subject in a run. Must not block for long.
    virtual void OnDiagnostic(const Diagnostic& d) = 0;
};

// Any thread. Records the diagnostic and passes it to the sink unless the
// same kind was already reported for the same subject in this run.
void ReportDiagnostic(DiagnosticKind kind, const std::string& subject, const std::string& detail);

// Installs the sink (null: diagnostics are only recorded). The sink must
// outlive its installation.
void SetDiagnosticSink(CDiagnosticSink* sink);

// Every distinct diagnostic of the run so far, oldest first.
std::vector<Diagnostic> RecordedDiagnostics();

// Forgets what was reported (a new run; for tests).
void ClearDiagnostics();

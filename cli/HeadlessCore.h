// The application core as the headless commands start it: messages and
// diagnostics printed on standard error, the folder found and checked, the
// data loaded and the web library started.
#pragma once

#include <string>

#include "app/AppCore.h"
#include "app/Messages.h"

// Message boxes of a run without windows: one line on standard error each.
class CStderrMessages : public CMessageBoxSink {
public:
    int ShowMessage(int stringId, const char* text) override;
};

// Diagnostics of the libraries, one line on standard error each, for as long
// as it lives.
class CStderrDiagnostics : public CDiagnosticSink {
public:
    CStderrDiagnostics() { SetDiagnosticSink(this); }
    ~CStderrDiagnostics() override { SetDiagnosticSink(nullptr); }
    CStderrDiagnostics(const CStderrDiagnostics&) = delete;
    CStderrDiagnostics& operator=(const CStderrDiagnostics&) = delete;
    void OnDiagnostic(const Diagnostic& d) override;
};

// Runs the start-up steps that need no window on core for the folder named
// by homeOption (or the registry stand-in's). False, with the reason
// printed, when the command cannot go on.
// bLock: take the folder for this run alone (the commands that write).
bool StartHeadlessCore(CAppCore& core, const std::string& homeOption, bool bLock);

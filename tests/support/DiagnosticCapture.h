// The diagnostics an action reports, as text, for tests that check that a
// problem is reported.
#pragma once

#include <string>

#include "common/Diagnostics.h"

// One line per distinct diagnostic reported while fn ran.
template <class Fn>
std::string DiagnosticsOf(Fn fn) {
    ClearDiagnostics();
    fn();
    std::string text;
    for (const Diagnostic& d : RecordedDiagnostics()) text += FormatDiagnostic(d) + "\n";
    return text;
}
